# field-package: what goes next to the host, in one folder and one zip file:
# the module, the language files, the installation text and the checksums.
set(TAVO_PACKAGE_NAME TestTAVO02-${PROJECT_VERSION}-${CMAKE_SYSTEM_PROCESSOR})
add_custom_target(field-package
    COMMAND ${CMAKE_COMMAND}
        -DMODULE=$<TARGET_FILE:TestTAVO02>
        -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DPACKAGE_DIR=${CMAKE_BINARY_DIR}/${TAVO_PACKAGE_NAME}
        -P ${CMAKE_CURRENT_LIST_DIR}/make-package.cmake
    DEPENDS TestTAVO02
    COMMENT "Packing ${TAVO_PACKAGE_NAME}.zip"
    VERBATIM)
