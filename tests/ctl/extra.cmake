# SPDX-License-Identifier: GPL-3.0-or-later
# The tests run the qvm8ctl program itself against the emulator in the test process.
add_dependencies(test_ctl qvm8ctl)
target_compile_definitions(test_ctl PRIVATE QVM8CTL_PROGRAM="$<TARGET_FILE:qvm8ctl>")
target_include_directories(test_ctl PRIVATE ${PROJECT_SOURCE_DIR}/tools/sim)
# A scripted peer on a pseudo-terminal, for controllers whose replies a test damages.
target_sources(test_ctl PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/link/LinkTestSupport.cpp)
