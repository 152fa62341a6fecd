# Install rules and the Debian package (`cmake --build build --target package`, or
# scripts/package.sh). Configure with -DCMAKE_INSTALL_PREFIX=/usr for the package layout.

install(TARGETS tolva RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES src/db/schema/sqlite.sql src/db/schema/postgresql.sql src/db/schema/sqlserver.sql
        DESTINATION ${CMAKE_INSTALL_DATADIR}/tolva/schema)
install(FILES packaging/tolva.desktop packaging/tolva-crwsim.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/tolva.svg packaging/tolva-crwsim.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tolva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tolva head office IT <tolva@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Stored-value card manager (QDR卡管理作業)")
# The long description; CPack puts the summary line before it.
set(CPACK_PACKAGE_DESCRIPTION "Issues, sells, tops up, reverses, erases and blacklists the chain's stored-value
cards, imports the store transaction files, exports the blacklist and prints the reports.
Includes the card reader simulator panel and its driver library.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_STRIP_FILES ON)
# The linked libraries (Qt, SQLite, the C++ runtime) are found by dpkg-shlibdeps; what the
# program loads at run time is named here: the SQLite driver of Qt, a window platform and Qt's
# own Chinese texts (the buttons of its message boxes, file choosers and print dialogs).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, qt6-translations-l10n")
# Database servers and the screens' Chinese glyphs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, libqt6sql6-odbc, fonts-wqy-microhei | fonts-noto-cjk")
include(CPack)
