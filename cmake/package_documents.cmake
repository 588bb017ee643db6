# The documents an install carries beside the game, made at configure time
# from the files that say each thing once: CHANGELOG.md gives every version's
# date and changes, LICENSE the licence, the game's source its version.
#
# In: LANTERNVALE_VERSION, LANTERNVALE_MAINTAINER, LANTERNVALE_APPSTREAM_ID.
# Out: LANTERNVALE_RELEASE_DATE (YYYY-MM-DD), LANTERNVALE_DEBIAN_VERSION,
# LANTERNVALE_COPYRIGHT_HOLDER, and in LANTERNVALE_DOCUMENTS_DIR:
# lanternvale.6.gz, changelog.gz (Debian's changelog format), copyright
# (Debian's machine-readable format) and <AppStream id>.metainfo.xml.

set(LANTERNVALE_DOCUMENTS_DIR ${PROJECT_BINARY_DIR}/doc)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/LICENSE)

# A Debian version starts with a digit and sorts "~" before anything, so a
# test release comes before the first numbered one (test-predev-1 is
# 0~test.predev.1) and a release candidate before its release (1.0-rc1 is
# 1.0~rc1).
function(lanternvale_debian_version version result)
  if(version MATCHES "^[0-9]")
    string(REPLACE "-" "~" debian "${version}")
  else()
    string(REPLACE "-" "." debian "0~${version}")
  endif()
  set(${result} "${debian}" PARENT_SCOPE)
endfunction()

# "Tue, 08 Dec 2026 00:00:00 +0000" for 2026 12 08: the date line of a Debian
# changelog entry, which names the day of the week (Sakamoto's method).
function(lanternvale_debian_date year month day result)
  set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  set(day_names Sun Mon Tue Wed Thu Fri Sat)
  math(EXPR index "${month} - 1")
  list(GET month_names ${index} month_name)
  list(GET month_offsets ${index} offset)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
  list(GET day_names ${weekday} day_name)
  set(${result} "${day_name}, ${day} ${month_name} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# CHANGELOG.md holds one section a version, newest first, headed
# "## <version> - <YYYY-MM-DD>" and listing the changes as "- " items. Sets
# <prefix>_DEBIAN to the same in Debian's changelog format, <prefix>_VERSION
# and <prefix>_DATE to the newest section's. The file is read as text, not as
# a CMake list, so that no character in it is taken for a separator.
function(lanternvale_read_changelog file package maintainer prefix)
  file(READ ${file} rest)
  set(debian "")
  set(closing "")
  set(newest_version "")
  set(newest_date "")
  while(NOT rest STREQUAL "")
    string(FIND "${rest}" "\n" end)
    if(end EQUAL -1)
      set(line "${rest}")
      set(rest "")
    else()
      string(SUBSTRING "${rest}" 0 ${end} line)
      math(EXPR next "${end} + 1")
      string(SUBSTRING "${rest}" ${next} -1 rest)
    endif()
    if(line MATCHES "^## ([^ ]+) - ([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
      set(version "${CMAKE_MATCH_1}")
      set(year "${CMAKE_MATCH_2}")
      set(month "${CMAKE_MATCH_3}")
      set(day "${CMAKE_MATCH_4}")
      if(newest_version STREQUAL "")
        set(newest_version "${version}")
        set(newest_date "${year}-${month}-${day}")
      endif()
      lanternvale_debian_version("${version}" debian_version)
      lanternvale_debian_date(${year} ${month} ${day} date)
      string(APPEND debian "${closing}${package} (${debian_version}) unstable; urgency=medium\n\n")
      set(closing "\n -- ${maintainer}  ${date}\n\n")
    elseif(line MATCHES "^## ")
      message(FATAL_ERROR "CHANGELOG.md: a version's heading is \"## <version> - <YYYY-MM-DD>\", not \"${line}\"")
    elseif(closing STREQUAL "" OR line STREQUAL "")
      # The title and what stands before the first version; blank lines.
    elseif(line MATCHES "^- (.*)$")
      string(APPEND debian "  * ${CMAKE_MATCH_1}\n")
    else()
      string(APPEND debian "  ${line}\n")
    endif()
  endwhile()
  if(newest_version STREQUAL "")
    message(FATAL_ERROR "CHANGELOG.md has no version's section")
  endif()
  string(REGEX REPLACE "\n\n$" "\n" closing "${closing}")
  set(${prefix}_DEBIAN "${debian}${closing}" PARENT_SCOPE)
  set(${prefix}_VERSION "${newest_version}" PARENT_SCOPE)
  set(${prefix}_DATE "${newest_date}" PARENT_SCOPE)
endfunction()

# LICENSE as Debian's machine-readable copyright file: its copyright line and
# its text, which is the Expat licence (Debian's name for this MIT text). Sets
# <prefix>_HOLDER to the year and holder and <prefix>_DEBIAN to the file.
function(lanternvale_read_license license_file prefix)
  file(READ ${license_file} license)
  if(NOT license MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.*)$")
    message(FATAL_ERROR "LICENSE has no \"Copyright (c) ...\" line followed by the licence's text")
  endif()
  set(holder "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" text)
  # A paragraph's lines are indented by one blank; an empty line is " .".
  string(REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  set(${prefix}_HOLDER "${holder}" PARENT_SCOPE)
  set(${prefix}_DEBIAN "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Lanternvale

Files: *
Copyright: ${holder}
License: Expat
 ${text}
" PARENT_SCOPE)
endfunction()

# Debian wants its documents compressed with gzip -9 and without a time stamp,
# so that a rebuild gives the same bytes.
find_program(LANTERNVALE_GZIP gzip REQUIRED)
function(lanternvale_gzip source destination)
  execute_process(COMMAND ${LANTERNVALE_GZIP} -9 -n -c ${source} OUTPUT_FILE ${destination}
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${source}")
  endif()
endfunction()

lanternvale_debian_version("${LANTERNVALE_VERSION}" LANTERNVALE_DEBIAN_VERSION)
lanternvale_read_changelog(${PROJECT_SOURCE_DIR}/CHANGELOG.md lanternvale "${LANTERNVALE_MAINTAINER}"
                           LANTERNVALE_CHANGELOG)
if(NOT LANTERNVALE_CHANGELOG_VERSION STREQUAL LANTERNVALE_VERSION)
  message(FATAL_ERROR "CHANGELOG.md's newest section is for ${LANTERNVALE_CHANGELOG_VERSION}, but the game "
                      "is version ${LANTERNVALE_VERSION}: give the new version a section of its own")
endif()
set(LANTERNVALE_RELEASE_DATE ${LANTERNVALE_CHANGELOG_DATE})

file(WRITE ${LANTERNVALE_DOCUMENTS_DIR}/changelog "${LANTERNVALE_CHANGELOG_DEBIAN}")
lanternvale_gzip(${LANTERNVALE_DOCUMENTS_DIR}/changelog ${LANTERNVALE_DOCUMENTS_DIR}/changelog.gz)

lanternvale_read_license(${PROJECT_SOURCE_DIR}/LICENSE LANTERNVALE_LICENSE)
file(WRITE ${LANTERNVALE_DOCUMENTS_DIR}/copyright "${LANTERNVALE_LICENSE_DEBIAN}")

# The manual page names where the README is for the prefix the build installs
# to, and the copyright's holder.
set(LANTERNVALE_DOC_DIR ${CMAKE_INSTALL_FULL_DOCDIR})
set(LANTERNVALE_COPYRIGHT_HOLDER ${LANTERNVALE_LICENSE_HOLDER})
configure_file(${PROJECT_SOURCE_DIR}/doc/lanternvale.6.in ${LANTERNVALE_DOCUMENTS_DIR}/lanternvale.6 @ONLY)
lanternvale_gzip(${LANTERNVALE_DOCUMENTS_DIR}/lanternvale.6 ${LANTERNVALE_DOCUMENTS_DIR}/lanternvale.6.gz)

configure_file(${PROJECT_SOURCE_DIR}/doc/lanternvale.metainfo.xml.in
               ${LANTERNVALE_DOCUMENTS_DIR}/${LANTERNVALE_APPSTREAM_ID}.metainfo.xml @ONLY)
