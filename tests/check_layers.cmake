# Fails, naming the file and line, when a folder of src/ includes a header of
# a folder it must not stand on. The world and the saves never see the
# terminal, the playthroughs or the front end, and base sees nothing above it.
# Run as: cmake -DSOURCE_DIR=<the checkout> -P check_layers.cmake
cmake_minimum_required(VERSION 3.20)

# What each folder may include besides its own headers.
set(may_include_base "")
set(may_include_world base)
set(may_include_persistence base world)
set(may_include_console base)
set(may_include_play base console world persistence)
set(may_include_frontend base console world persistence play)

set(breaches "")
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}/src" "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${source}")
  if(NOT DEFINED may_include_${folder})
    list(APPEND breaches "src/${source}: the folder ${folder} has no place among the layers")
    continue()
  endif()
  file(READ "${SOURCE_DIR}/src/${source}" text)
  # One list element a line: the characters that CMake's lists give a meaning
  # to are taken out of the way first.
  string(REGEX REPLACE "[][;\\]" "_" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^/\"]+)/")
      set(included "${CMAKE_MATCH_1}")
      if(NOT included STREQUAL folder AND NOT included IN_LIST may_include_${folder})
        list(APPEND breaches "src/${source}:${number}: ${folder}/ includes ${included}/")
      endif()
    endif()
  endforeach()
endforeach()

if(breaches)
  list(JOIN breaches "\n" report)
  message(FATAL_ERROR "Includes across the layers:\n${report}")
endif()
