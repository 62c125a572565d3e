# SPDX-License-Identifier: GPL-3.0-or-later
# The station tests run the qvm8-station program itself against Debian's mosquitto broker and
# emulated controllers in the test process; the option, queue and payload tests link its
# library. qvm8ctl makes the reference settings file of the drift test.
target_link_libraries(test_station PRIVATE qvm8_station)
add_dependencies(test_station qvm8-station qvm8ctl)
target_compile_definitions(test_station PRIVATE
  QVM8_STATION_PROGRAM="$<TARGET_FILE:qvm8-station>"
  QVM8CTL_PROGRAM="$<TARGET_FILE:qvm8ctl>")

target_include_directories(test_station PRIVATE ${PROJECT_SOURCE_DIR}/tools/sim)
