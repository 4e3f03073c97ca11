# The Debian package (scripts/package.sh): `cpack -G DEB` in a build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mojing)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Mojing developers")
set(CPACK_PACKAGE_CONTACT "The Mojing developers <mojing@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "墨鲸文献助手, a ${MOJING_SUMMARY}")
set(CPACK_PACKAGE_DESCRIPTION
    "Inside an embedded browser you search a journal platform; the program harvests the result
pages into an article list, turns the articles into a download list, and a download manager
fetches the files into the folders you choose, named after the titles. The interface is
Chinese. Licence: GPL-3.0-or-later.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${MOJING_HOMEPAGE})
# The libraries come from the linked binary (dpkg-shlibdeps); what it cannot see is named here:
# Qt's Chinese dialog texts, and a font with Chinese characters for the interface.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
