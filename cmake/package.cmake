# field-package: what goes next to the host, in one folder and one zip file:
# the module, the language files, the installation text and the checksums.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(TAVO_PACKAGE_NAME TestTAVO02-${PROJECT_VERSION}-win32)
else()
    set(TAVO_PACKAGE_NAME TestTAVO02-${PROJECT_VERSION}-win64)
endif()
add_custom_target(field-package
    COMMAND ${CMAKE_COMMAND}
        -DMODULE=$<TARGET_FILE:TestTAVO02>
        -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DPACKAGE_DIR=${CMAKE_BINARY_DIR}/${TAVO_PACKAGE_NAME}
        -P ${CMAKE_CURRENT_LIST_DIR}/make-package.cmake
    DEPENDS TestTAVO02
    COMMENT "Packing ${TAVO_PACKAGE_NAME}.zip"
    VERBATIM)
