# Lays out a scratch project in SCRATCH with layers "low" and "high" (low first), breaking the
# order as CASE says, configures it, and checks the outcome:
#   downward        high includes and links low: the configure passes
#   upward-include  a source of low includes "high/...": it fails naming the file and the line
#   upward-link     a target of low links a target of high: it fails naming both targets
# Run by hand: cmake -DCASE=upward-include -DLAYER_CHECK=$PWD/cmake/LayerCheck.cmake
#              -DSCRATCH=/tmp/layers -P tests/layercheck/LayerCheckCase.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(WRITE ${SCRATCH}/CMakeLists.txt "cmake_minimum_required(VERSION 3.25)
project(LayerFixture LANGUAGES NONE)
add_subdirectory(src)
")
file(WRITE ${SCRATCH}/src/CMakeLists.txt "set(LAYERS low high)
foreach(layer IN LISTS LAYERS)
  add_subdirectory(\${layer})
endforeach()
include(${LAYER_CHECK})
plomera_check_layers(\"\${LAYERS}\")
")
set(low_links "")
set(low_include "")
if(CASE STREQUAL "upward-include")
  set(low_include "#include \"high/High.h\"\n")
elseif(CASE STREQUAL "upward-link")
  set(low_links "target_link_libraries(low_lib INTERFACE high_lib)\n")
elseif(NOT CASE STREQUAL "downward")
  message(FATAL_ERROR "unknown CASE ${CASE}")
endif()
file(WRITE ${SCRATCH}/src/low/CMakeLists.txt "add_library(low_lib INTERFACE)\n${low_links}")
file(WRITE ${SCRATCH}/src/low/Low.h "#pragma once\n")
file(WRITE ${SCRATCH}/src/low/Low.cpp "#include \"low/Low.h\"\n${low_include}")
file(WRITE ${SCRATCH}/src/high/CMakeLists.txt "add_library(high_lib INTERFACE)\ntarget_link_libraries(high_lib INTERFACE low_lib)\n")
file(WRITE ${SCRATCH}/src/high/High.h "#pragma once\n#include \"low/Low.h\"\n")

execute_process(COMMAND ${CMAKE_COMMAND} -S ${SCRATCH} -B ${SCRATCH}/build
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(said "${out}${err}")
# The message may be wrapped across lines; compare it with the line breaks and indents taken out.
string(REGEX REPLACE "[ \t\r\n]+" " " flat "${said}")

if(CASE STREQUAL "downward")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "a downward include and link were refused:\n${said}")
  endif()
  return()
endif()
if(result EQUAL 0)
  message(FATAL_ERROR "the configure passed with an ${CASE}:\n${said}")
endif()
if(CASE STREQUAL "upward-include")
  set(expected "src/low/Low.cpp (low): #include \"high/High.h\"")
else()
  set(expected "target low_lib (low) links high_lib (high)")
endif()
string(FIND "${flat}" "${expected}" at)
if(at LESS 0)
  message(FATAL_ERROR "the failure does not name the breach \"${expected}\":\n${said}")
endif()
message(STATUS "refused as expected: ${expected}")
