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

# The manual page and the changelog are installed compressed, without a name or a time stamp in the gzip header,
# as Debian's rules ask.
find_program(TARNWICK_GZIP gzip REQUIRED)
set(tarnwick_gzipped)
foreach(file tarnwick.1 changelog)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/packaging/${file})
    add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${file} ${copy}
        COMMAND ${TARNWICK_GZIP} -9nf ${copy}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${file}
        VERBATIM)
    list(APPEND tarnwick_gzipped ${copy}.gz)
endforeach()
add_custom_target(tarnwick_docs ALL DEPENDS ${tarnwick_gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/tarnwick.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tarnwick)

# The archive: one folder, tarnwick-<version>/, holding the program and its catalogue, which a player may edit
# there, with a short README and the copyright. Only the archive installs this component (see cmake/CPackPerGenerator.cmake).
install(TARGETS Tarnwick RUNTIME DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(FILES data/zOrorOviz.csv packaging/copyright DESTINATION . COMPONENT portable EXCLUDE_FROM_ALL)
install(FILES packaging/README.archive DESTINATION . RENAME README COMPONENT portable EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB TGZ)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackPerGenerator.cmake)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VENDOR "Hollowmere Workshop")
set(CPACK_PACKAGE_CONTACT "Tarnwick developers <tarnwick@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Quellvane Gear Chooser, a playing aid for an espionage role-playing game")
set(CPACK_PACKAGE_DESCRIPTION
    "Tarnwick loads the Quellvane gear catalogue from a CSV file and helps a player\n\
put together an agent's equipment: browse by category, buy with points or\n\
dollars, adjust the chosen list and copy it to the clipboard.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://example.org/tarnwick")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
# Built against Debian 12's Qt 6, which the archive's program also needs.
set(CPACK_ARCHIVE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-debian12-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A playing aid rather than a game: Debian's games section wants its programs in /usr/games, and this one keeps
# bin/tarnwick beside the other programs.
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The windows are laid out for Liberation Sans; Qt's Wayland plugin lets the program run as a Wayland client.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
find_program(TARNWICK_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(TARNWICK_FILE file) # CPack needs it to find the programs for dpkg-shlibdeps
if(TARNWICK_DPKG_SHLIBDEPS AND TARNWICK_FILE)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
    # Without dpkg-shlibdeps the Qt 6 runtime is named by hand (Debian 12's package names).
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
           ", libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4)")
endif()
include(CPack)
