# What `make uninstall` works from, kept by `cmake --install` in
# install_record.cmake beside the build's install_manifest.txt: the files the
# install put in place (the manifest's list), the DESTDIR it put them under
# (the manifest names files without it), and the directories it made.
# CPack installs into a build directory too, and writes its own staging files
# into install_manifest.txt: the record is the last real install's, whatever
# was packaged since.
#
# In: LANTERNVALE_INSTALL_DIRS (the directories the install fills, relative to
# the prefix or absolute), LANTERNVALE_INSTALL_RECORD (the record's file).

# Before anything is copied: which of those directories do not exist yet.
# What an earlier install into the same place made and no uninstall has
# removed since is still this install's to remove.
function(lanternvale_note_made_directories)
  set(destdir "$ENV{DESTDIR}")
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
  set(LANTERNVALE_DIRECTORIES_MADE "${made}" PARENT_SCOPE)
endfunction()

# Once everything is in place.
function(lanternvale_write_install_record)
  if("$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}" MATCHES "/_CPack_Packages/")
    return()
  endif()
  file(WRITE "${LANTERNVALE_INSTALL_RECORD}"
       "set(LANTERNVALE_INSTALLED_DESTDIR \"$ENV{DESTDIR}\")\n"
       "set(LANTERNVALE_INSTALLED_FILES \"${CMAKE_INSTALL_MANIFEST_FILES}\")\n"
       "set(LANTERNVALE_MADE_DIRECTORIES \"${LANTERNVALE_DIRECTORIES_MADE}\")\n")
endfunction()
