# The Windows program and the folder that the installer and the portable zip are made from (cmake --install): the
# program with its icon and version resource, its catalogue, Qt's DLLs and the plugins it loads, Qt's licences and a
# note of how that Qt was built. Qt is linked as DLLs beside the program, so that a user can replace them.
enable_language(RC)
set(TARNWICK_PUBLISHER "Hollowmere Workshop")

# The icon is drawn from the same picture as the Linux one, at the sizes Explorer and the taskbar ask for.
find_program(TARNWICK_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(TARNWICK_ICOTOOL icotool REQUIRED)
set(icon ${CMAKE_CURRENT_BINARY_DIR}/windows/Tarnwick.ico)
set(icon_pngs)
foreach(size 16 24 32 48 64 256)
    set(png ${CMAKE_CURRENT_BINARY_DIR}/windows/icon-${size}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${TARNWICK_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                ${PROJECT_SOURCE_DIR}/packaging/org.example.Tarnwick.svg
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/org.example.Tarnwick.svg VERBATIM)
    list(APPEND icon_pngs ${png})
endforeach()
add_custom_command(OUTPUT ${icon} COMMAND ${TARNWICK_ICOTOOL} -c -o ${icon} ${icon_pngs} DEPENDS ${icon_pngs} VERBATIM)

set(TARNWICK_ICON ${icon})
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/Tarnwick.rc.in ${CMAKE_CURRENT_BINARY_DIR}/windows/Tarnwick.rc
               @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/windows/Tarnwick.rc PROPERTIES OBJECT_DEPENDS ${icon})
target_sources(Tarnwick PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/windows/Tarnwick.rc)
# A windowed program: no console comes up with it.
set_target_properties(Tarnwick PROPERTIES WIN32_EXECUTABLE ON)

install(TARGETS Tarnwick RUNTIME DESTINATION .)
install(FILES data/zOrorOviz.csv packaging/windows/README.txt DESTINATION .)
foreach(module Core Gui Widgets)
    install(IMPORTED_RUNTIME_ARTIFACTS Qt6::${module} DESTINATION .)
endforeach()
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin DESTINATION platforms)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsVistaStylePlugin DESTINATION styles)
install(DIRECTORY ${QT6_INSTALL_PREFIX}/licenses/ DESTINATION licenses)
