# Fills PACKAGE_DIR with the module, the language files and INSTALL.txt, writes
# SHA256SUMS over them and zips the folder beside it.
file(REMOVE_RECURSE ${PACKAGE_DIR})
file(MAKE_DIRECTORY ${PACKAGE_DIR}/lang)
file(COPY ${MODULE} ${SOURCE_DIR}/docs/INSTALL.txt DESTINATION ${PACKAGE_DIR})
file(GLOB languages ${SOURCE_DIR}/lang/*.xml)
file(COPY ${languages} DESTINATION ${PACKAGE_DIR}/lang)

file(GLOB_RECURSE files RELATIVE ${PACKAGE_DIR} ${PACKAGE_DIR}/*)
list(SORT files)
set(sums "")
foreach(name ${files})
    file(SHA256 ${PACKAGE_DIR}/${name} hash)
    string(APPEND sums "${hash}  ${name}\n")
endforeach()
file(WRITE ${PACKAGE_DIR}/SHA256SUMS "${sums}")

get_filename_component(parent ${PACKAGE_DIR} DIRECTORY)
get_filename_component(folder ${PACKAGE_DIR} NAME)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${folder}.zip --format=zip ${folder}
                WORKING_DIRECTORY ${parent} RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
    message(FATAL_ERROR "cannot write ${parent}/${folder}.zip")
endif()
message(STATUS "${parent}/${folder}.zip")
