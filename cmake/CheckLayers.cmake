# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a source file includes a header of a layer above or beside its own, or when a file
# outside src/ui includes a Qt header. Run as: cmake -DSRC=<src folder> -P CheckLayers.cmake
# Layers, lowest first: base, then link and quality side by side (quality: pure computations on
# values, which every layer above may use), settings, then measurement, buffering, lightwave and
# adjust side by side, then app, then ui.
set(rank_base 0)
set(rank_link 1)
set(rank_quality 1)
set(rank_settings 2)
set(rank_measurement 3)
set(rank_buffering 3)
set(rank_lightwave 3)
set(rank_adjust 3)
set(rank_app 4)
set(rank_ui 5)

if(NOT SRC)
  message(FATAL_ERROR "CheckLayers: pass -DSRC=<src folder>")
endif()

file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*.h ${SRC}/*.cpp ${SRC}/*.h.in)
set(found 0)
foreach(rel IN LISTS files)
  string(REGEX MATCH "^[A-Za-z_]+" layer "${rel}")
  if(NOT DEFINED rank_${layer})
    continue()
  endif()
  file(STRINGS ${SRC}/${rel} lines REGEX "^[ \t]*#[ \t]*include[ \t]+[<\"]")
  foreach(line IN LISTS lines)
    if(line MATCHES "include[ \t]+[<\"]([A-Za-z_]+)/")
      set(target ${CMAKE_MATCH_1})
      if(DEFINED rank_${target} AND NOT target STREQUAL layer
         AND NOT rank_${target} LESS rank_${layer})
        message("${rel}: includes ${target}/ from layer ${layer}")
        math(EXPR found "${found} + 1")
      endif()
    endif()
    if(NOT layer STREQUAL "ui" AND line MATCHES "include[ \t]+<Q")
      message("${rel}: includes a Qt header outside src/ui")
      math(EXPR found "${found} + 1")
    endif()
  endforeach()
endforeach()

if(found GREATER 0)
  message(FATAL_ERROR "CheckLayers: ${found} include(s) against the layering")
endif()
