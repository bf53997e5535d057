# Two packages from one install:
#   Orvane-<version>-linux-<arch>.tar.gz: the release bundle, one folder Orvane/ that
#     scripts/install.sh puts in the user's home and the updater replaces whole (components
#     `common` and `bundle`);
#   orvane_<version>_<arch>.deb: the same files under /usr for the package manager, which also
#     updates it (components `common` and `deb`).
# `common`: bin/Orvane (when it is built), bin/orvane-cli, the desktop entry, the icon in the hicolor
# sizes, the AppStream metainfo, the manual pages and the bash completion.
# `bundle`: share/orvane/ with the installed-bundle marker, replace-bundle.sh, install.sh, packages.sh.
# `deb`: the package-managed marker (the updater then leaves updating to the package manager), the
# lower-case command `orvane`, the Debian changelog and copyright.
# The QML modules are static libraries compiled into bin/Orvane as resources, so no QML files are
# installed. Qt 6.4, FFmpeg 5.1 and the QML runtime modules come from the desktop's own Debian 12
# packages: the .deb depends on scripts/packages.sh's run-time list, and install.sh names what is missing.

get_filename_component(orvane_marker_dir "${ORVANE_BUNDLE_MARKER}" DIRECTORY)
get_filename_component(orvane_marker_name "${ORVANE_BUNDLE_MARKER}" NAME)
get_filename_component(orvane_replacer_dir "${ORVANE_BUNDLE_REPLACER}" DIRECTORY)
get_filename_component(orvane_replacer_name "${ORVANE_BUNDLE_REPLACER}" NAME)
get_filename_component(orvane_managed_dir "${ORVANE_PACKAGE_MANAGED_MARKER}" DIRECTORY)
get_filename_component(orvane_managed_name "${ORVANE_PACKAGE_MANAGED_MARKER}" NAME)

set(ORVANE_RELEASE_DATE "2026-12-07" CACHE STRING "The release's date (YYYY-MM-DD) in the metainfo and changelog")
set(ORVANE_MAINTAINER "Orvane developers <maintainers@orvane.example>" CACHE STRING "The package's maintainer")
# The AppStream component id: the maker's domain reversed, then the name.
set(ORVANE_APP_ID "example.orvane.Orvane" CACHE STRING "The AppStream component id")
set(ORVANE_SCREENSHOT_BASE "https://www.orvane.example/screenshots" CACHE STRING
    "Where the metainfo's screenshots are published")
execute_process(COMMAND date -u -R -d "${ORVANE_RELEASE_DATE}" OUTPUT_VARIABLE ORVANE_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

set(orvane_packaging "${CMAKE_BINARY_DIR}/packaging")
set(orvane_source_packaging "${CMAKE_SOURCE_DIR}/packaging")

install(TARGETS orvane-cli RUNTIME DESTINATION bin COMPONENT common)
if(TARGET Orvane)
  install(TARGETS Orvane RUNTIME DESTINATION bin COMPONENT common)
endif()

# --- common: desktop integration, manuals, completion
install(FILES "${orvane_source_packaging}/orvane.desktop" DESTINATION share/applications COMPONENT common)
install(FILES "${orvane_source_packaging}/orvane.svg" DESTINATION share/icons/hicolor/scalable/apps COMPONENT common)
configure_file("${orvane_source_packaging}/orvane.metainfo.xml.in"
               "${orvane_packaging}/${ORVANE_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${orvane_packaging}/${ORVANE_APP_ID}.metainfo.xml" DESTINATION share/metainfo COMPONENT common)
install(FILES "${orvane_source_packaging}/orvane-cli.bash-completion" DESTINATION share/bash-completion/completions
        RENAME orvane-cli COMPONENT common)

# Debian wants manuals and the changelog compressed, without a time stamp so builds repeat.
function(orvane_gzip_file source output)
  add_custom_command(OUTPUT "${output}" COMMAND gzip -9nc "${source}" > "${output}" DEPENDS "${source}" VERBATIM)
endfunction()
set(orvane_generated_files "")
foreach(page orvane orvane-cli)
  configure_file("${orvane_source_packaging}/${page}.1" "${orvane_packaging}/${page}.1" @ONLY)
  orvane_gzip_file("${orvane_packaging}/${page}.1" "${orvane_packaging}/${page}.1.gz")
  list(APPEND orvane_generated_files "${orvane_packaging}/${page}.1.gz")
  install(FILES "${orvane_packaging}/${page}.1.gz" DESTINATION share/man/man1 COMPONENT common)
endforeach()

# PNG icons for the desktops and menus that do not draw SVG.
find_program(ORVANE_RSVG_CONVERT rsvg-convert)
set(ORVANE_ICON_SIZES 16 24 32 48 64 128 256)
if(ORVANE_RSVG_CONVERT)
  foreach(size ${ORVANE_ICON_SIZES})
    set(png "${orvane_packaging}/icons/${size}x${size}/orvane.png")
    add_custom_command(OUTPUT "${png}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${orvane_packaging}/icons/${size}x${size}"
      COMMAND ${ORVANE_RSVG_CONVERT} -w ${size} -h ${size} -o "${png}" "${orvane_source_packaging}/orvane.svg"
      DEPENDS "${orvane_source_packaging}/orvane.svg" VERBATIM)
    list(APPEND orvane_generated_files "${png}")
    install(FILES "${png}" DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT common)
  endforeach()
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: the packages carry only the scalable icon")
endif()

# --- bundle: what the user's own copy needs to install and replace itself
# An installed copy is told from a build tree by this file (the updater refuses to replace a build tree).
file(GENERATE OUTPUT "${orvane_packaging}/${orvane_marker_name}" CONTENT "Orvane ${PROJECT_VERSION}\n")
install(FILES "${orvane_packaging}/${orvane_marker_name}" DESTINATION "${orvane_marker_dir}" COMPONENT bundle)
install(PROGRAMS "${CMAKE_SOURCE_DIR}/scripts/replace-bundle.sh" DESTINATION "${orvane_replacer_dir}"
        RENAME "${orvane_replacer_name}" COMPONENT bundle)
install(PROGRAMS "${CMAKE_SOURCE_DIR}/scripts/install.sh" DESTINATION share/orvane COMPONENT bundle)
install(FILES "${CMAKE_SOURCE_DIR}/scripts/packages.sh" DESTINATION share/orvane COMPONENT bundle)

# --- deb: what only the package manager's copy carries
file(GENERATE OUTPUT "${orvane_packaging}/${orvane_managed_name}" CONTENT "Orvane ${PROJECT_VERSION}\n")
install(FILES "${orvane_packaging}/${orvane_managed_name}" DESTINATION "${orvane_managed_dir}" COMPONENT deb)
file(CREATE_LINK Orvane "${orvane_packaging}/orvane" SYMBOLIC)
file(CREATE_LINK orvane.1.gz "${orvane_packaging}/Orvane.1.gz" SYMBOLIC)
install(FILES "${orvane_packaging}/orvane" DESTINATION bin COMPONENT deb)
install(FILES "${orvane_packaging}/Orvane.1.gz" DESTINATION share/man/man1 COMPONENT deb)
configure_file("${orvane_source_packaging}/changelog.in" "${orvane_packaging}/changelog" @ONLY)
orvane_gzip_file("${orvane_packaging}/changelog" "${orvane_packaging}/changelog.gz")
list(APPEND orvane_generated_files "${orvane_packaging}/changelog.gz")
install(FILES "${orvane_packaging}/changelog.gz" "${orvane_source_packaging}/copyright"
        DESTINATION share/doc/orvane COMPONENT deb)
add_custom_target(orvane_packaging_files ALL DEPENDS ${orvane_generated_files})

# The .deb's Depends: the run-time list of scripts/packages.sh, the one list of what Orvane needs.
execute_process(
  COMMAND bash -c "source '${CMAKE_SOURCE_DIR}/scripts/packages.sh' && printf '%s\\n' \"\${ORVANE_RUNTIME_PACKAGES[@]}\""
  OUTPUT_VARIABLE orvane_runtime_packages OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/scripts/packages.sh")
string(REPLACE "\n" ", " orvane_depends "${orvane_runtime_packages}")

string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" orvane_arch)
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_PACKAGE_NAME Orvane)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and exporter for a Tesla's dashcam footage")
set(CPACK_STRIP_FILES ON)
# One package per generator holding the components set per generator in CPackOptions.cmake.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL common bundle deb)
set(CPACK_ARCHIVE_FILE_NAME "Orvane-${PROJECT_VERSION}-linux-${orvane_arch}")
# Everything under one folder named Orvane (not the archive's own name).
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)

set(CPACK_DEBIAN_PACKAGE_NAME orvane)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${orvane_depends}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORVANE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ORVANE_FEEDBACK_URL}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Orvane lists the events a Tesla records on its USB drive by category and
day, plays one camera or a synchronised camera grid with a dashboard read
from the car's driving record, and exports minutes, ranges, grids and
splices with the recording time burned into every frame. The footage is
only ever read.

The package also holds orvane-cli, the command line that scans drives,
reads the driving record and exports.")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_PROJECT_CONFIG_FILE "${orvane_packaging}/CPackOptions.cmake")
file(WRITE "${orvane_packaging}/CPackOptions.cmake" "
if(CPACK_GENERATOR STREQUAL \"DEB\")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_COMPONENTS_ALL common deb)
else()
  set(CPACK_PACKAGING_INSTALL_PREFIX /Orvane)
  set(CPACK_COMPONENTS_ALL common bundle)
endif()
")
include(CPack)
