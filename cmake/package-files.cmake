# What both packages' scripts share: texts written with Windows line ends, so
# Notepad on the line PC shows their lines; the checksum list; the zip.

# Writes text to path with CR LF line ends, whatever ends its lines now.
function(write_windows_text path text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${path} "${text}")
endfunction()

# Writes folder/SHA256SUMS: the SHA-256 of every file in folder, by its path
# inside it, as sha256sum -c reads it and certutil -hashfile prints it.
function(write_checksums folder)
    file(GLOB_RECURSE files RELATIVE ${folder} ${folder}/*)
    list(SORT files)
    set(sums "")
    foreach(name ${files})
        file(SHA256 ${folder}/${name} hash)
        string(APPEND sums "${hash}  ${name}\n")
    endforeach()
    write_windows_text(${folder}/SHA256SUMS "${sums}")
endfunction()

# Zips folder into folder.zip beside it, the folder itself at the zip's top.
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
