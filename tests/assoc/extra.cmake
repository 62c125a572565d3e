# SPDX-License-Identifier: GPL-3.0-or-later
# The tests run qvm8-assoc itself and a small Qt program that asks the MIME database which type a
# file has, each time in a scratch XDG_DATA_HOME.
add_dependencies(test_assoc qvm8-assoc)
target_link_libraries(test_assoc PRIVATE qvm8_assoc)
target_compile_definitions(test_assoc PRIVATE
  QVM8_ASSOC_PROGRAM="$<TARGET_FILE:qvm8-assoc>"
  QVM8_DATA_DIR="${PROJECT_SOURCE_DIR}/data")
if(NOT TARGET Qt6::Core)
  find_package(Qt6 QUIET COMPONENTS Core)
endif()
if(TARGET Qt6::Core)
  add_executable(assoc_mime_probe ${CMAKE_CURRENT_LIST_DIR}/probe/MimeProbe.cpp)
  target_link_libraries(assoc_mime_probe PRIVATE Qt6::Core)
  add_dependencies(test_assoc assoc_mime_probe)
  target_compile_definitions(test_assoc PRIVATE
    QVM8_MIME_PROBE="$<TARGET_FILE:assoc_mime_probe>")
endif()
