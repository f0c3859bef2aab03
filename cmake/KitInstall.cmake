# What an install lays out besides the programs, the host library and the
# modules (which their own folders install: bin/kithost, bin/tovik-sim,
# lib/tovik-kit/ and its modules/), and the packages CPack makes from it: a
# Debian package, a tarball, and a zip for the visual host's Packages folder.
#
# share/kit is the visual host's package (packaging/cpack-arrange.cmake says
# which of its files the zip takes) together with the headless material:
# - for the visual host: package-info.json, icon.png, LICENSE, README.md (the
#   package's own), externals/ (CLASS.mxe64, and CLASS.mxo when given, of
#   the kit's classes only), help/CLASS.maxhelp, docs/refpages/,
#   examples/*.maxpat, extras/ (the overview in the host's Extras menu) and
#   media/ (the files the help and example patches open);
# - headless: the example scripts (examples/**/*.kit, run-examples.sh), the
#   Markdown reference pages and the kithost, tovik-sim, performance and
#   reliability documents under docs/; the developers' README goes to
#   share/doc/tovik-kit/.
include(GNUInstallDirs)
set(KIT_SHARE_DIR share/kit)
set(KIT_DOC_DIR share/doc/${KIT_PACKAGE_NAME})
get_property(kit_classes GLOBAL PROPERTY KIT_MODULES)
install(DIRECTORY help/ DESTINATION ${KIT_SHARE_DIR}/help)
install(DIRECTORY extras/ DESTINATION ${KIT_SHARE_DIR}/extras)
install(DIRECTORY examples/ DESTINATION ${KIT_SHARE_DIR}/examples
        PATTERN "*.sh" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                   GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(FILES examples/tovik/project.tvk examples/tovik/pads.tvk DESTINATION ${KIT_SHARE_DIR}/media)
install(DIRECTORY docs/ DESTINATION ${KIT_SHARE_DIR}/docs)
install(FILES packaging/host-package-README.md DESTINATION ${KIT_SHARE_DIR} RENAME README.md)
install(FILES LICENSE DESTINATION ${KIT_SHARE_DIR})
install(FILES README.md DESTINATION ${KIT_DOC_DIR})
install(FILES tools/kithost/README.md DESTINATION ${KIT_SHARE_DIR}/docs RENAME kithost.md)
install(FILES tools/tovik-sim/README.md DESTINATION ${KIT_SHARE_DIR}/docs RENAME tovik-sim.md)

# The package's icon, drawn by a script at build time (by the build that
# makes the packages, not the cross build of the Windows externals).
if(NOT CMAKE_CROSSCOMPILING)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/icon.png
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/packaging/make-icon.py
            ${PROJECT_BINARY_DIR}/icon.png
    DEPENDS packaging/make-icon.py
    COMMENT "The package's icon"
    VERBATIM)
  add_custom_target(package-icon ALL DEPENDS ${PROJECT_BINARY_DIR}/icon.png)
  install(FILES ${PROJECT_BINARY_DIR}/icon.png DESTINATION ${KIT_SHARE_DIR})
endif()

# The reference pages the visual host reads (tools/kithost/CMakeLists.txt
# writes them).
if(KIT_REFPAGE_DIR)
  install(DIRECTORY ${KIT_REFPAGE_DIR}/ DESTINATION ${KIT_SHARE_DIR}/docs/refpages/${KIT_PACKAGE_NAME}
          FILES_MATCHING PATTERN "*.maxref.xml")
endif()

# The externals come from the platforms' own builds, taken by class name
# (packaging/host-externals.cmake): the folder of each is the cache's value
# or, at install time, the environment's of the same name.
set(KIT_WINDOWS_EXTERNALS_DIR ${PROJECT_SOURCE_DIR}/build/windows
    CACHE PATH "The Windows build (or a folder of CLASS.mxe64) whose externals the install takes")
set(KIT_MAC_EXTERNALS_DIR ""
    CACHE PATH "The macOS build (or a folder of CLASS.mxo bundles) whose externals the install takes")
set(KIT_WINDOWS_MIN_VERSION 10 CACHE STRING "The oldest Windows the Windows externals run on")
set(KIT_MAC_MIN_VERSION 10.13 CACHE STRING
    "The oldest macOS the macOS externals run on (their deployment target)")
# The oldest host the externals load in: the one their SDK is for (the
# SDK beside the sources, when this build has none of its own); 8.2.0 is
# that of the SDK the kit is built with, for a build that sees no SDK.
kit_find_sdk(sdk_dir ${PROJECT_SOURCE_DIR})
set(KIT_HOST_VERSION_MIN "")
if(sdk_dir)
  kit_sdk_host_version(KIT_HOST_VERSION_MIN ${sdk_dir})
endif()
if(NOT KIT_HOST_VERSION_MIN)
  set(KIT_HOST_VERSION_MIN 8.2.0)
endif()
configure_file(packaging/package-info.json.in ${PROJECT_BINARY_DIR}/package-info.json.in @ONLY)
install(CODE "
  set(KIT_CLASSES \"${kit_classes}\")
  set(KIT_WINDOWS_EXTERNALS_DIR \"${KIT_WINDOWS_EXTERNALS_DIR}\")
  set(KIT_MAC_EXTERNALS_DIR \"${KIT_MAC_EXTERNALS_DIR}\")
  set(KIT_WINDOWS_MIN_VERSION \"${KIT_WINDOWS_MIN_VERSION}\")
  set(KIT_MAC_MIN_VERSION \"${KIT_MAC_MIN_VERSION}\")
  set(KIT_PACKAGE_INFO_TEMPLATE \"${PROJECT_BINARY_DIR}/package-info.json.in\")
  set(KIT_PACKAGE_DIR \"\${CMAKE_INSTALL_PREFIX}/${KIT_SHARE_DIR}\")
  include(\"${PROJECT_SOURCE_DIR}/packaging/host-externals.cmake\")
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
set(CPACK_KIT_CLASSES "${kit_classes}")
set(KIT_HOST_PACKAGE_FILE_NAME ${KIT_PACKAGE_NAME}-host-package-${PROJECT_VERSION})
include(CPack)
