# What an install lays out besides the programs and modules (which their own
# folders install: bin/kithost, bin/tovik-sim, lib/, lib/kit/modules/), and
# the packages CPack makes from it: a Debian package and a tarball.
include(GNUInstallDirs)
set(KIT_SHARE_DIR share/kit)
install(DIRECTORY help/ DESTINATION ${KIT_SHARE_DIR}/help)
install(DIRECTORY examples/ DESTINATION ${KIT_SHARE_DIR}/examples
        PATTERN "*.sh" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                   GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(DIRECTORY docs/ DESTINATION ${KIT_SHARE_DIR}/docs)
install(FILES README.md DESTINATION ${KIT_SHARE_DIR})

set(CPACK_PACKAGE_NAME kit)
set(CPACK_PACKAGE_VENDOR "The kit's developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Plug-in objects for a visual patching host, with the headless host kithost")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The kit's developers <kit@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The library dependencies (readline, the C++ runtime) are read from the
# binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
include(CPack)
