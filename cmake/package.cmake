# field-package: what goes next to the host, in one folder and one zip file:
# the module, the language files, the installation text and the checksums;
# beside it a zip of the module's PDB for crash dumps from the line. Only a
# build against the field's own headers makes the package for the line; the
# stand-ins' build makes one named for what it is.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(TAVO_PACKAGE_NAME TestTAVO02-${PROJECT_VERSION}-win32)
else()
    set(TAVO_PACKAGE_NAME TestTAVO02-${PROJECT_VERSION}-win64)
endif()
if(NOT TAVO_FIELD)
    string(APPEND TAVO_PACKAGE_NAME -development)
endif()
add_custom_target(field-package
    COMMAND ${CMAKE_COMMAND}
        -DMODULE=$<TARGET_FILE:TestTAVO02>
        -DPDB=$<TARGET_FILE_DIR:TestTAVO02>/$<TARGET_FILE_BASE_NAME:TestTAVO02>.pdb
        -DFIELD=${TAVO_FIELD}
        -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DPACKAGE_DIR=${CMAKE_BINARY_DIR}/${TAVO_PACKAGE_NAME}
        -P ${CMAKE_CURRENT_LIST_DIR}/make-package.cmake
    DEPENDS TestTAVO02
    COMMENT "Packing ${TAVO_PACKAGE_NAME}.zip"
    VERBATIM)
