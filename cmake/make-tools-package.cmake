# Fills PACKAGE_DIR with what tavohost's checks need on a Windows PC that has
# nothing else: tavohost.exe (the MinGW runtime linked in, no simulated
# bench), the language files, the localizer's page, README.txt; writes
# SHA256SUMS over them and zips the folder beside it.
include(${CMAKE_CURRENT_LIST_DIR}/package-files.cmake)

file(REMOVE_RECURSE ${PACKAGE_DIR})
file(MAKE_DIRECTORY ${PACKAGE_DIR}/lang ${PACKAGE_DIR}/docs)
file(COPY ${PROGRAMS} DESTINATION ${PACKAGE_DIR})
file(GLOB languages ${SOURCE_DIR}/lang/*.xml)
file(COPY ${languages} DESTINATION ${PACKAGE_DIR}/lang)
# The texts a person opens in Notepad, with Windows line ends.
file(READ ${SOURCE_DIR}/docs/README-tools.txt content)
write_windows_text(${PACKAGE_DIR}/README.txt "${content}")
file(READ ${SOURCE_DIR}/docs/localizing.md content)
write_windows_text(${PACKAGE_DIR}/docs/localizing.md "${content}")
write_checksums(${PACKAGE_DIR})
zip_folder(${PACKAGE_DIR})
