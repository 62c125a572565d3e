# SPDX-License-Identifier: GPL-3.0-or-later
# A stand-in for libftdi1 that the USB tests load through the transport's own dlopen path.
add_library(fake_ftdi SHARED ${CMAKE_CURRENT_LIST_DIR}/fake/FakeFtdi.cpp)
set_target_properties(fake_ftdi PROPERTIES CXX_VISIBILITY_PRESET default)
target_link_libraries(fake_ftdi PRIVATE Threads::Threads)
add_dependencies(test_link fake_ftdi)
target_compile_definitions(test_link PRIVATE QVM8_FAKE_FTDI_PATH="$<TARGET_FILE:fake_ftdi>")
# The paced-line tests run the link threads against the emulated controller.
target_include_directories(test_link PRIVATE ${PROJECT_SOURCE_DIR}/tools/sim)
