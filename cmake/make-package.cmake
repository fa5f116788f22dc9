# Fills PACKAGE_DIR with the module, the language files and INSTALL.txt, writes
# SHA256SUMS over them and zips the folder beside it; zips the PDB as
# PACKAGE_DIR-symbols.zip. Without FIELD the installation text first says that
# the module was built against the development stand-ins' headers.
include(${CMAKE_CURRENT_LIST_DIR}/package-files.cmake)

file(REMOVE_RECURSE ${PACKAGE_DIR} ${PACKAGE_DIR}-symbols)
file(MAKE_DIRECTORY ${PACKAGE_DIR}/lang ${PACKAGE_DIR}-symbols)
file(COPY ${MODULE} DESTINATION ${PACKAGE_DIR})
file(GLOB languages ${SOURCE_DIR}/lang/*.xml)
file(COPY ${languages} DESTINATION ${PACKAGE_DIR}/lang)
file(READ ${SOURCE_DIR}/docs/INSTALL.txt install)
if(NOT FIELD)
    file(READ ${SOURCE_DIR}/docs/INSTALL-development.txt development)
    string(PREPEND install "${development}\n")
endif()
write_windows_text(${PACKAGE_DIR}/INSTALL.txt "${install}")
write_checksums(${PACKAGE_DIR})
zip_folder(${PACKAGE_DIR})

if(NOT EXISTS ${PDB})
    message(FATAL_ERROR "no PDB beside the module: ${PDB}")
endif()
file(COPY ${PDB} DESTINATION ${PACKAGE_DIR}-symbols)
zip_folder(${PACKAGE_DIR}-symbols)
