# Run at install time (cmake/KitInstall.cmake) in the visual host's package
# folder KIT_PACKAGE_DIR (below DESTDIR, when set): places the externals of the kit's classes
# (KIT_CLASSES) and writes package-info.json, whose "os" names each platform
# that the package holds every external for.
#
# Each platform's externals are taken by class name, CLASS.mxe64 (Windows)
# and CLASS.mxo bundles (macOS), from its folder or that folder's modules/
# (where the platform's build makes them). Nothing else is taken: test
# modules and stray files beside them stay out. The folders are
# KIT_WINDOWS_EXTERNALS_DIR and KIT_MAC_EXTERNALS_DIR, the environment's
# winning over the configuration's.
cmake_minimum_required(VERSION 3.25)

# kit_place_externals(OUT PLATFORM FOLDER SUFFIX): copies FOLDER's externals
# into externals/ and sets OUT to whether every class had one.
function(kit_place_externals out platform folder suffix)
  set(found "")
  set(missing "")
  foreach(class ${KIT_CLASSES})
    set(external "")
    foreach(candidate ${folder}/${class}${suffix} ${folder}/modules/${class}${suffix})
      if(folder AND EXISTS ${candidate})
        set(external ${candidate})
        break()
      endif()
    endforeach()
    if(external)
      list(APPEND found ${external})
    else()
      list(APPEND missing ${class})
    endif()
  endforeach()
  if(found)
    file(INSTALL ${found} DESTINATION ${KIT_PACKAGE_DIR}/externals USE_SOURCE_PERMISSIONS)
  endif()
  if(found AND missing)
    string(REPLACE ";" ", " missing "${missing}")
    message(WARNING "${folder}: no ${platform} external for ${missing}; the package will not "
                    "name ${platform} among its platforms")
  endif()
  if(found AND NOT missing)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

foreach(variable KIT_WINDOWS_EXTERNALS_DIR KIT_MAC_EXTERNALS_DIR)
  if(DEFINED ENV{${variable}})
    set(${variable} "$ENV{${variable}}")
  endif()
endforeach()

# file(INSTALL) puts DESTDIR before its destination itself; the rest here
# writes below it.
set(package_dir "$ENV{DESTDIR}${KIT_PACKAGE_DIR}")
file(MAKE_DIRECTORY ${package_dir}/externals)
kit_place_externals(windows Windows "${KIT_WINDOWS_EXTERNALS_DIR}" .mxe64)
kit_place_externals(macintosh macOS "${KIT_MAC_EXTERNALS_DIR}" .mxo)

# The "os" entries, as the host's package manager reads them.
set(platforms "")
if(macintosh)
  list(APPEND platforms "\"macintosh\": { \"platform\": [\"x64\", \"aarch64\"], \"min_version\": \"${KIT_MAC_MIN_VERSION}\" }")
endif()
if(windows)
  list(APPEND platforms "\"windows\": { \"platform\": [\"x64\"], \"min_version\": \"${KIT_WINDOWS_MIN_VERSION}\" }")
endif()
string(JOIN ",\n    " KIT_PACKAGE_OS ${platforms})
set(help_files "")
foreach(class ${KIT_CLASSES})
  list(APPEND help_files "\"${class}.maxhelp\"")
endforeach()
string(JOIN ", " KIT_PACKAGE_HELP ${help_files})
configure_file(${KIT_PACKAGE_INFO_TEMPLATE} ${package_dir}/package-info.json)
