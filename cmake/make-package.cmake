# Fills PACKAGE_DIR with the module, the language files and INSTALL.txt, writes
# SHA256SUMS over them and zips the folder beside it; zips the PDB as
# PACKAGE_DIR-symbols.zip. Without FIELD the installation text first says that
# the module was built against the development stand-ins' headers.
function(zip_folder folder)
    get_filename_component(parent ${folder} DIRECTORY)
    get_filename_component(name ${folder} NAME)
    execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${name}.zip --format=zip ${name}
                    WORKING_DIRECTORY ${parent} RESULT_VARIABLE zipped)
    if(NOT zipped EQUAL 0)
        message(FATAL_ERROR "cannot write ${parent}/${name}.zip")
    endif()
    message(STATUS "${parent}/${name}.zip")
endfunction()

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
file(WRITE ${PACKAGE_DIR}/INSTALL.txt "${install}")

file(GLOB_RECURSE files RELATIVE ${PACKAGE_DIR} ${PACKAGE_DIR}/*)
list(SORT files)
set(sums "")
foreach(name ${files})
    file(SHA256 ${PACKAGE_DIR}/${name} hash)
    string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE ${PACKAGE_DIR}/SHA256SUMS "${sums}")
zip_folder(${PACKAGE_DIR})

if(NOT EXISTS ${PDB})
    message(FATAL_ERROR "no PDB beside the module: ${PDB}")
endif()
file(COPY ${PDB} DESTINATION ${PACKAGE_DIR}-symbols)
zip_folder(${PACKAGE_DIR}-symbols)
