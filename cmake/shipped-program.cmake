# tavo_shipped_program(TARGET): a program that leaves the build tree for a
# Windows PC. Its entry is wide (wmain), so every path Windows can name
# arrives whole; it knows the one version (TAVO_VERSION, the version block of
# its resource script from generated/version.h); and it ships stripped, its
# symbols kept apart beside it as NAME.debug for a crash on the line.
function(tavo_shipped_program target)
    target_link_options(${target} PRIVATE -municode)
    target_compile_definitions(${target} PRIVATE "TAVO_VERSION=\"${PROJECT_VERSION}\"")
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
        COMMAND ${CMAKE_STRIP} --strip-all $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()
