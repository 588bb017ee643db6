# Run by `cmake --install` before it copies anything: writes down the DESTDIR
# of this install, since install_manifest.txt names the files without it, and
# which of the directories the install fills do not exist yet, and so are made
# by it. cmake/uninstall.cmake removes those once they are empty, and no others.
#
# In: LANTERNVALE_INSTALL_DIRS (relative to the prefix, or absolute),
# LANTERNVALE_INSTALL_RECORD (the file to write, beside the build's
# install_manifest.txt).

set(destdir "$ENV{DESTDIR}")

# What an earlier install into the same place made and no uninstall has
# removed since is still this install's to remove.
set(made "")
if(EXISTS "${LANTERNVALE_INSTALL_RECORD}")
  include("${LANTERNVALE_INSTALL_RECORD}")
  if(LANTERNVALE_INSTALLED_DESTDIR STREQUAL destdir)
    foreach(directory IN LISTS LANTERNVALE_MADE_DIRECTORIES)
      if(IS_DIRECTORY "${directory}")
        list(APPEND made "${directory}")
      endif()
    endforeach()
  endif()
endif()

foreach(destination IN LISTS LANTERNVALE_INSTALL_DIRS)
  if(IS_ABSOLUTE "${destination}")
    set(directory "${destdir}${destination}")
  else()
    set(directory "${destdir}${CMAKE_INSTALL_PREFIX}/${destination}")
  endif()
  # The directory and each parent of it up to the first that exists.
  while(NOT EXISTS "${directory}")
    list(APPEND made "${directory}")
    get_filename_component(directory "${directory}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES made)

file(WRITE "${LANTERNVALE_INSTALL_RECORD}"
     "set(LANTERNVALE_INSTALLED_DESTDIR \"${destdir}\")\nset(LANTERNVALE_MADE_DIRECTORIES \"${made}\")\n")
