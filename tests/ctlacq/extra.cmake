# SPDX-License-Identifier: GPL-3.0-or-later
# The command tests run the qvm8ctl program itself against an emulator in the test process.
add_dependencies(test_ctlacq qvm8ctl)
target_compile_definitions(test_ctlacq PRIVATE QVM8CTL_PROGRAM="$<TARGET_FILE:qvm8ctl>")
# A scripted peer on a pseudo-terminal, for controllers whose replies a test damages.
target_sources(test_ctlacq PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/link/LinkTestSupport.cpp)
target_include_directories(test_ctlacq PRIVATE ${PROJECT_SOURCE_DIR}/tools/sim)
