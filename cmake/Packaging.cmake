# `cpack` builds one Debian package holding both programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellicor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vellicor developers <vellicor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Site downloader over GNU Wget, and the Pendrill timed downloader")
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The Qt and curl libraries come from the shared-library lookup; wget is started, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "wget, qt6-qpa-plugins, shared-mime-info, hicolor-icon-theme")
include(CPack)
