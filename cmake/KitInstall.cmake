# What an install lays out besides the programs, the host library and the
# modules (which their own folders install: bin/kithost, bin/tovik-sim,
# lib/tovik-kit/ and its modules/), and the packages CPack makes from it: a
# Debian package, a tarball, and a zip for the visual host's Packages folder.
#
# share/kit is the visual host's package layout: package-info.json,
# externals/ (the Windows externals, CLASS.mxe64, when a Windows build has
# made them), help/, docs/, examples/. The zip holds that folder alone, as
# tovik-kit/.
include(GNUInstallDirs)
set(KIT_SHARE_DIR share/kit)
set(KIT_DOC_DIR share/doc/${KIT_PACKAGE_NAME})
install(DIRECTORY help/ DESTINATION ${KIT_SHARE_DIR}/help)
install(DIRECTORY examples/ DESTINATION ${KIT_SHARE_DIR}/examples
        PATTERN "*.sh" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                   GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(DIRECTORY docs/ DESTINATION ${KIT_SHARE_DIR}/docs)
install(FILES README.md DESTINATION ${KIT_SHARE_DIR})
install(FILES tools/kithost/README.md DESTINATION ${KIT_SHARE_DIR}/docs RENAME kithost.md)
install(FILES tools/tovik-sim/README.md DESTINATION ${KIT_SHARE_DIR}/docs RENAME tovik-sim.md)

# The visual host's package description, and its externals folder.
configure_file(packaging/package-info.json.in ${PROJECT_BINARY_DIR}/package-info.json @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/package-info.json DESTINATION ${KIT_SHARE_DIR})
# The Windows externals come from the Windows build, when there is one: the
# folder searched is KIT_WINDOWS_EXTERNALS_DIR (the environment's, at install
# time, wins over the cache's).
set(KIT_WINDOWS_EXTERNALS_DIR ${PROJECT_SOURCE_DIR}/build/windows
    CACHE PATH "Folder searched for the Windows externals (*.mxe64) to install")
install(CODE "
  set(from \"${KIT_WINDOWS_EXTERNALS_DIR}\")
  if(DEFINED ENV{KIT_WINDOWS_EXTERNALS_DIR})
    set(from \"\$ENV{KIT_WINDOWS_EXTERNALS_DIR}\")
  endif()
  set(externals \"\")
  if(IS_DIRECTORY \"\${from}\")
    # Links are not followed: the Windows build's wine prefix links its
    # drive Z: to the root of the file system.
    cmake_policy(SET CMP0009 NEW)
    file(GLOB_RECURSE externals \"\${from}/*.mxe64\")
    list(FILTER externals EXCLUDE REGEX \"/_CPack_Packages/\")
  endif()
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${KIT_SHARE_DIR}/externals\")
  if(externals)
    file(INSTALL \${externals} DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${KIT_SHARE_DIR}/externals\")
  endif()
")

# Debian's conventions: manual pages, the copyright file and the changelog.
if(NOT CMAKE_CROSSCOMPILING AND TARGET kithost AND TARGET tovik-sim)
  find_program(HELP2MAN help2man)
  if(HELP2MAN)
    set(man_dir ${PROJECT_BINARY_DIR}/man)
    file(MAKE_DIRECTORY ${man_dir})
    add_custom_command(
      OUTPUT ${man_dir}/kithost.1.gz
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:kithost> -DNAME=kithost
              "-DSUMMARY=the kit's headless host" -DREADME=${PROJECT_SOURCE_DIR}/tools/kithost/README.md
              "-DSEE_ALSO=tovik-sim(1)" -DOUT=${man_dir}/kithost.1.gz
              -P ${PROJECT_SOURCE_DIR}/packaging/man-page.cmake
      DEPENDS kithost tools/kithost/README.md packaging/man-page.cmake
      COMMENT "Manual page of kithost"
      VERBATIM)
    add_custom_command(
      OUTPUT ${man_dir}/tovik-sim.1.gz
      COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:tovik-sim> -DNAME=tovik-sim
              "-DSUMMARY=a simulated device for the kit"
              -DREADME=${PROJECT_SOURCE_DIR}/tools/tovik-sim/README.md
              "-DSEE_ALSO=kithost(1)" -DOUT=${man_dir}/tovik-sim.1.gz
              -P ${PROJECT_SOURCE_DIR}/packaging/man-page.cmake
      DEPENDS tovik-sim tools/tovik-sim/README.md packaging/man-page.cmake
      COMMENT "Manual page of tovik-sim"
      VERBATIM)
    add_custom_target(man-pages ALL DEPENDS ${man_dir}/kithost.1.gz ${man_dir}/tovik-sim.1.gz)
    install(FILES ${man_dir}/kithost.1.gz ${man_dir}/tovik-sim.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(STATUS "help2man not found: no manual pages (scripts/setup.sh installs it)")
  endif()
endif()
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
  DEPENDS packaging/changelog
  VERBATIM)
add_custom_target(changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES packaging/copyright ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${KIT_DOC_DIR})

set(CPACK_PACKAGE_NAME ${KIT_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "The kit's developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "plug-in objects for a visual patching host, with a headless host")
set(CPACK_PACKAGE_DESCRIPTION
    "The kit's objects upload projects to a networked device, find devices on\n\
the network, talk TCP and UDP, and encode, pack and unpack the datagrams of\n\
the device's controller. kithost runs them without the visual host, from\n\
scripts or patcher files; tovik-sim stands in for the device.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR "DEB;TGZ;ZIP")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kit maintainers <maintainers@tovik-kit.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The library dependencies (readline, the C++ runtime) are read from the
# binaries; the host library is the package's own.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/lib)
# CPack would call ldconfig on install and removal for any library under
# /usr/lib; the kit's own library folder is not in the system's cache, so its
# scripts do nothing instead.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst
    ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Per generator: what goes into each package (packaging/cpack-options.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/cpack-options.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/cpack-arrange.cmake)
set(KIT_HOST_PACKAGE_FILE_NAME ${KIT_PACKAGE_NAME}-host-package-${PROJECT_VERSION})
include(CPack)
