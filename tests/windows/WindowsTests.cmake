# The test programs run under Wine (the toolchain's emulator), on Qt's offscreen platform: they find Qt's DLLs
# through WINEPATH and, as that platform reads fonts from a folder of its own on Windows, Debian's Liberation fonts
# there (Windows paths: Wine's Z: drive is the Linux root). Wine hands no QT_* variable of Linux on to a Windows
# program, only WINEQT_* ones, without the WINE. Without a console of Windows' own, Qt would send the test log to
# the debugger rather than to the output CTest reads. scripts/windows-test gives them an X server and a Wine prefix.
string(REPLACE "/" "\\" qt_bin "Z:${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
set(wine_environment "WINEPATH=${qt_bin}" "WINEQT_QPA_PLATFORM=offscreen"
    "WINEQT_QPA_FONTDIR=Z:\\usr\\share\\fonts\\truetype\\liberation2" "WINEQT_LOGGING_RULES=qt.qpa.*=false"
    WINEQT_FORCE_STDERR_LOGGING=1)
# Each program has a time limit, some ten times what the slowest takes here on an idle machine: a program that hangs under Wine fails
# alone, and soon.
foreach(source IN LISTS test_sources)
    get_filename_component(name ${source} NAME_WE)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT ${wine_environment})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120)
endforeach()

# The installer that scripts/windows made from this build, installed, used and uninstalled as a player would.
add_test(NAME windows_Installer
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/installer.sh
                 ${PROJECT_BINARY_DIR}/Tarnwick-${PROJECT_VERSION}-setup.exe)
set_tests_properties(windows_Installer PROPERTIES TIMEOUT 600 RUN_SERIAL ON)
