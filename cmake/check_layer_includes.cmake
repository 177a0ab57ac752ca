# Scans every source file of the layers for includes of our own folders that
# the layer may not use (cmake/layer_table.cmake), and names each offending
# line. Included at configure time, and run as a script by the test
# `layer_includes`:
#   cmake -DAVEX_SOURCE_DIR=<source folder> -P cmake/check_layer_includes.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()
if(NOT AVEX_SOURCE_DIR)
  set(AVEX_SOURCE_DIR ${CMAKE_SOURCE_DIR})
endif()
include(${CMAKE_CURRENT_LIST_DIR}/layer_table.cmake)

# The top-level folders of the source tree are the names an include can
# reach; an include of anything else (a system header, a generated file) is
# not ours to check.
file(GLOB avex_top_entries LIST_DIRECTORIES true RELATIVE ${AVEX_SOURCE_DIR} ${AVEX_SOURCE_DIR}/*)
set(avex_top_folders)
foreach(entry ${avex_top_entries})
  if(IS_DIRECTORY ${AVEX_SOURCE_DIR}/${entry})
    list(APPEND avex_top_folders ${entry})
  endif()
endforeach()

# Appends to `out_var` one line "file:line: ..." per include in `file` of a
# folder outside `allowed`.
function(avex_wrong_way_includes out_var layer file allowed)
  set(found ${${out_var}})
  file(STRINGS ${AVEX_SOURCE_DIR}/${file} candidates REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  if(NOT candidates)
    return()
  endif()
  file(STRINGS ${AVEX_SOURCE_DIR}/${file} lines)
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
      continue()
    endif()
    set(target ${CMAKE_MATCH_1})
    if(target MATCHES "^\\.\\./")
      list(APPEND found "${file}:${number}: `${line}` reaches out of its folder; name the folder from the root")
      continue()
    endif()
    if(NOT target MATCHES "^([^/]+)/")
      continue()
    endif()
    set(folder ${CMAKE_MATCH_1})
    if(folder IN_LIST avex_top_folders AND NOT folder IN_LIST allowed)
      list(JOIN allowed ", " folders)
      list(APPEND found "${file}:${number}: `${line}`: layer ${layer} may include only ${folders}")
    endif()
  endforeach()
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

set(avex_include_faults)
foreach(layer ${AVEX_LAYERS})
  file(GLOB_RECURSE layer_files RELATIVE ${AVEX_SOURCE_DIR}
       ${AVEX_SOURCE_DIR}/${layer}/*.h ${AVEX_SOURCE_DIR}/${layer}/*.cpp ${AVEX_SOURCE_DIR}/${layer}/*.inc)
  foreach(file ${layer_files})
    set(allowed ${AVEX_LAYER_${layer}_SEES})
    if(file MATCHES "${AVEX_TEST_FILE_REGEX}")
      list(APPEND allowed ${AVEX_TEST_SEES})
    endif()
    avex_wrong_way_includes(avex_include_faults ${layer} ${file} "${allowed}")
  endforeach()
endforeach()

if(avex_include_faults)
  list(JOIN avex_include_faults "\n" avex_include_report)
  message(FATAL_ERROR "Includes against the layers (cmake/layer_table.cmake):\n${avex_include_report}")
endif()
