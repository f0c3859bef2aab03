# Run by CPack on each package's staging folder before it is packed:
# - the zip keeps, of share/kit, only what a user of the visual host uses,
#   renamed tovik-kit/ (the host's package folder), and refuses to be made
#   without the Windows externals of every class (CPACK_KIT_CLASSES);
# - the Debian package and the tarball leave out the externals, which are no
#   use on Linux, and the licence file (their copyright file holds it).
file(GLOB_RECURSE infos LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/package-info.json"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/package-info.json")
list(FILTER infos INCLUDE REGEX "/share/kit/package-info.json$")
list(LENGTH infos found)
if(NOT found EQUAL 1)
  message(FATAL_ERROR "cpack-arrange: no single share/kit/package-info.json in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
get_filename_component(share_kit ${infos} DIRECTORY)
if(NOT CPACK_GENERATOR STREQUAL "ZIP")
  file(REMOVE_RECURSE ${share_kit}/externals)
  file(REMOVE ${share_kit}/LICENSE)
  return()
endif()

set(missing "")
foreach(class ${CPACK_KIT_CLASSES})
  if(NOT EXISTS ${share_kit}/externals/${class}.mxe64)
    list(APPEND missing ${class}.mxe64)
  endif()
endforeach()
if(missing)
  # One line that says what to do, as NOTICE prints it: CMake folds the
  # text of an error.
  string(REPLACE ";" " " missing "${missing}")
  message(NOTICE "No Windows externals for the visual host's zip (missing ${missing}): build them "
                 "with `cmake --workflow --preset ci-windows`, or name their folder in "
                 "KIT_WINDOWS_EXTERNALS_DIR.")
  message(FATAL_ERROR "No zip without the Windows externals")
endif()

# What the host's user gets: the package description, icon, licence and
# README, the externals, help patches, reference pages, example patches, the
# Extras overview and the files the patches open.
set(host_files
    "^(package-info\\.json|icon\\.png|LICENSE|README\\.md)$"
    "^externals/[^/]+\\.mxe64$"
    "^externals/[^/]+\\.mxo/.+"
    "^help/[^/]+\\.maxhelp$"
    "^docs/refpages/[^/]+/[^/]+\\.maxref\\.xml$"
    "^examples/[^/]+\\.maxpat$"
    "^extras/[^/]+\\.maxpat$"
    "^media/[^/]+$")
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${share_kit} ${share_kit}/*)
foreach(file ${files})
  set(wanted FALSE)
  foreach(pattern ${host_files})
    if(file MATCHES "${pattern}")
      set(wanted TRUE)
      break()
    endif()
  endforeach()
  if(NOT wanted)
    file(REMOVE ${share_kit}/${file})
  endif()
endforeach()
# Folders left empty go too, the deepest first.
file(GLOB_RECURSE folders LIST_DIRECTORIES true ${share_kit}/*)
list(SORT folders ORDER DESCENDING)
foreach(folder ${folders})
  file(GLOB left ${folder}/*)
  if(IS_DIRECTORY ${folder} AND NOT left)
    file(REMOVE_RECURSE ${folder})
  endif()
endforeach()

set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/../host-package-staged)
file(REMOVE_RECURSE ${staged})
file(RENAME ${share_kit} ${staged})
file(REMOVE_RECURSE ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
file(MAKE_DIRECTORY ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
file(RENAME ${staged} ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${CPACK_PACKAGE_NAME})
