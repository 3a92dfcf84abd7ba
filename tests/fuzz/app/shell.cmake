# The command-line splitter, fed arbitrary bytes.
add_executable(fuzz_split_command_line ${CMAKE_CURRENT_LIST_DIR}/fuzz_split_command_line.cpp)
target_link_libraries(fuzz_split_command_line PRIVATE app_shell_core kestrova_options)
target_compile_options(fuzz_split_command_line PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(fuzz_split_command_line PRIVATE -fsanitize=fuzzer,address,undefined)
