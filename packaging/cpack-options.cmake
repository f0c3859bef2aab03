# CPack reads this once per generator: the zip is the visual host's package
# folder alone, named tovik-kit/ at its top.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_NAME}-host-package-${CPACK_PACKAGE_VERSION}")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGING_INSTALL_PREFIX "/")
endif()
