# Puts the bundled catalogue beside an executable, so it runs on it at once.
function(tarnwick_copy_catalogue target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different
                ${PROJECT_SOURCE_DIR}/data/zOrorOviz.csv $<TARGET_FILE_DIR:${target}>/zOrorOviz.csv
        VERBATIM)
endfunction()

# A QtTest executable linked against the project libraries; the environment is set here, in one place.
function(tarnwick_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false;LC_ALL=C.UTF-8"
        TIMEOUT ${T_TIMEOUT})
endfunction()
