# Run by CPack on each package's staging folder before it is packed:
# - the zip keeps share/kit alone, renamed tovik-kit/ (the visual host's
#   package folder);
# - the Debian package and the tarball leave out the Windows externals.
file(GLOB_RECURSE infos LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/package-info.json"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/package-info.json")
list(FILTER infos INCLUDE REGEX "/share/kit/package-info.json$")
list(LENGTH infos found)
if(NOT found EQUAL 1)
  message(FATAL_ERROR "cpack-arrange: no single share/kit/package-info.json in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
get_filename_component(share_kit ${infos} DIRECTORY)
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/../host-package-staged)
  file(REMOVE_RECURSE ${staged})
  file(RENAME ${share_kit} ${staged})
  file(REMOVE_RECURSE ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
  file(MAKE_DIRECTORY ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
  file(RENAME ${staged} ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${CPACK_PACKAGE_NAME})
  # The examples runner needs kithost beside it, which the zip has not.
  file(REMOVE ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/${CPACK_PACKAGE_NAME}/examples/run-examples.sh)
else()
  file(REMOVE_RECURSE ${share_kit}/externals)
endif()
