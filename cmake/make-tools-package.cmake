# Fills PACKAGE_DIR with what tavohost's checks need on a Windows PC that has
# nothing else: tavohost.exe and TestBench.dll (the MinGW runtime is linked
# in), the language files, the examples, the bench file's page, README.txt;
# writes SHA256SUMS over them and zips the folder beside it.
include(${CMAKE_CURRENT_LIST_DIR}/package-files.cmake)

file(REMOVE_RECURSE ${PACKAGE_DIR})
file(MAKE_DIRECTORY ${PACKAGE_DIR}/lang ${PACKAGE_DIR}/examples ${PACKAGE_DIR}/docs)
file(COPY ${PROGRAMS} DESTINATION ${PACKAGE_DIR})
file(GLOB languages ${SOURCE_DIR}/lang/*.xml)
file(COPY ${languages} DESTINATION ${PACKAGE_DIR}/lang)
# The texts a person opens in Notepad, with Windows line ends.
foreach(text examples/bench.ini examples/series.script docs/bench-file.md docs/README-tools.txt)
    file(READ ${SOURCE_DIR}/${text} content)
    string(REPLACE "docs/README-tools.txt" "README.txt" text ${text})
    write_windows_text(${PACKAGE_DIR}/${text} "${content}")
endforeach()
write_checksums(${PACKAGE_DIR})
zip_folder(${PACKAGE_DIR})
