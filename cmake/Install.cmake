# Installation layout and the Debian package.
#
# The program reads its catalogue from its own folder, so both live together in lib/tarnwick; bin/tarnwick is a
# relative link to the program (Qt resolves the link when it works out the program's folder).
include(GNUInstallDirs)

set(TARNWICK_APP_ID org.example.Tarnwick)
# Debian's multiarch libdir (lib/x86_64-linux-gnu) is for shared libraries, not for a program's private folder.
if(CMAKE_INSTALL_LIBDIR STREQUAL "lib")
    set(TARNWICK_INSTALL_APPDIR ${CMAKE_INSTALL_LIBDIR}/tarnwick)
else()
    set(TARNWICK_INSTALL_APPDIR lib/tarnwick)
endif()

install(TARGETS Tarnwick RUNTIME DESTINATION ${TARNWICK_INSTALL_APPDIR})
install(FILES data/zOrorOviz.csv DESTINATION ${TARNWICK_INSTALL_APPDIR})

# install(FILES) copies a symbolic link as a link, which also holds under DESTDIR and CPack's staging.
set(tarnwick_link ${CMAKE_CURRENT_BINARY_DIR}/install-link/tarnwick)
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/install-link)
file(RELATIVE_PATH tarnwick_link_target /${CMAKE_INSTALL_BINDIR} /${TARNWICK_INSTALL_APPDIR}/Tarnwick)
file(CREATE_LINK ${tarnwick_link_target} ${tarnwick_link} SYMBOLIC)
install(FILES ${tarnwick_link} DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES packaging/${TARNWICK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/${TARNWICK_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/${TARNWICK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "Hollowmere Workshop")
set(CPACK_PACKAGE_CONTACT "Odile Farrant <odile.farrant@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quellvane Gear Chooser, a playing aid for an espionage role-playing game")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnwick loads the Quellvane gear catalogue from a CSV file and helps a player put together an agent's\n\
equipment: browse by category, buy with points or dollars, adjust the chosen list and copy it to the clipboard.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/tarnwick")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Odile Farrant <odile.farrant@example.org>")
find_program(TARNWICK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TARNWICK_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    # Without dpkg-shlibdeps the Qt 6 runtime is named by hand (Debian 12's package names).
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4)")
endif()
include(CPack)
