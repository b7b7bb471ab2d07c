# `cpack -G DEB` in the build folder: mirelo_<version>_<arch>.deb from the install rules.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Zv系列软件 <maker@mirelo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "look up the public information of a QQ space")
set(CPACK_PACKAGE_DESCRIPTION [[
Mirelo looks up the public information of a QQ account's QZone space by its
QQ number: the nickname, the space points and level, the music, blog and mood
counts, today's and total visits, the flower-vine values and the two portraits.

It also turns space points into levels and back, keeps every lookup in a list
and copies a row's report to the clipboard. Its texts are in Simplified
Chinese.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

# Libraries the program links are found by dpkg-shlibdeps; what it loads at run time by name
# is listed here.
set(MIRELO_PACKAGE_RUNTIME_DEPENDS
    qt6-translations-l10n                 # Qt's own texts in Chinese
    libqt6sql6-sqlite                     # mirelo-lookup reads Firefox's cookies database
    "fonts-wqy-microhei | fonts-noto-cjk" # every text of the program is Chinese
)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN MIRELO_PACKAGE_RUNTIME_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

# Installed with prefix /usr into a staging root, so the desktop entry names /usr/bin/mirelo.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
