# The release bundle. `cmake --install` lays out one self-contained folder, and CPack packs it as
# Orvane-<version>-linux-<arch>.tar.gz with the single top folder Orvane/:
#   bin/Orvane (the window, when it is built), bin/orvane-cli,
#   share/applications/orvane.desktop, share/icons/hicolor/scalable/apps/orvane.svg,
#   share/orvane/: the installed-bundle marker, replace-bundle.sh and install.sh.
# The QML modules (Orvane.Common … Orvane.Window, Orvane.Update) are static libraries compiled into bin/Orvane as resources,
# so no QML files are installed. Qt 6.4, FFmpeg 5.1 and the QML runtime modules are not bundled: they
# come from the desktop's own Debian 12 packages, which get its security updates; scripts/install.sh
# names any that are missing.

get_filename_component(orvane_marker_dir "${ORVANE_BUNDLE_MARKER}" DIRECTORY)
get_filename_component(orvane_marker_name "${ORVANE_BUNDLE_MARKER}" NAME)
get_filename_component(orvane_replacer_dir "${ORVANE_BUNDLE_REPLACER}" DIRECTORY)
get_filename_component(orvane_replacer_name "${ORVANE_BUNDLE_REPLACER}" NAME)

install(TARGETS orvane-cli RUNTIME DESTINATION bin)
if(TARGET Orvane)
  install(TARGETS Orvane RUNTIME DESTINATION bin)
endif()

# An installed copy is told from a build tree by this file (the updater refuses to replace a build tree).
file(GENERATE OUTPUT "${CMAKE_BINARY_DIR}/packaging/${orvane_marker_name}" CONTENT "Orvane ${PROJECT_VERSION}\n")
install(FILES "${CMAKE_BINARY_DIR}/packaging/${orvane_marker_name}" DESTINATION "${orvane_marker_dir}")
install(PROGRAMS "${CMAKE_SOURCE_DIR}/scripts/replace-bundle.sh" DESTINATION "${orvane_replacer_dir}"
        RENAME "${orvane_replacer_name}")
install(PROGRAMS "${CMAKE_SOURCE_DIR}/scripts/install.sh" DESTINATION share/orvane)
install(FILES "${CMAKE_SOURCE_DIR}/scripts/packages.sh" DESTINATION share/orvane)
install(FILES "${CMAKE_SOURCE_DIR}/packaging/orvane.desktop" DESTINATION share/applications)
install(FILES "${CMAKE_SOURCE_DIR}/packaging/orvane.svg" DESTINATION share/icons/hicolor/scalable/apps)

string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" orvane_arch)
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME Orvane)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "Orvane-${PROJECT_VERSION}-linux-${orvane_arch}")
# Everything under one folder named Orvane (not the archive's own name).
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX "/Orvane")
set(CPACK_STRIP_FILES ON)
include(CPack)
