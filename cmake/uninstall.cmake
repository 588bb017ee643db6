# Removes what the last `cmake --install` of a build put in place, as its
# install_record.cmake (cmake/install_record.cmake) says: the files, under the
# DESTDIR that install had, then the directories that install made once they
# are empty. Nothing else is touched.
# Usage: cmake -DBUILD_DIR=build/release -P cmake/uninstall.cmake

if(NOT DEFINED BUILD_DIR)
  message(FATAL_ERROR "usage: cmake -DBUILD_DIR=<build directory> -P cmake/uninstall.cmake")
endif()
set(record "${BUILD_DIR}/install_record.cmake")
if(NOT EXISTS "${record}")
  message(STATUS "Nothing to uninstall: nothing was installed from ${BUILD_DIR}")
  return()
endif()
include("${record}")

foreach(file IN LISTS LANTERNVALE_INSTALLED_FILES)
  set(path "${LANTERNVALE_INSTALLED_DESTDIR}${file}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
  else()
    message(STATUS "Already gone: ${path}")
  endif()
endforeach()

# A directory sorts after its parent: backwards, children go first.
set(directories ${LANTERNVALE_MADE_DIRECTORIES})
list(SORT directories)
list(REVERSE directories)
foreach(directory IN LISTS directories)
  if(NOT IS_DIRECTORY "${directory}")
    continue()
  endif()
  file(GLOB entries LIST_DIRECTORIES true "${directory}/*" "${directory}/.*")
  if(entries STREQUAL "")
    message(STATUS "Removing ${directory}")
    file(REMOVE_RECURSE "${directory}")
  else()
    message(STATUS "Keeping ${directory}: it holds what the install did not put there")
  endif()
endforeach()

file(REMOVE "${record}")
