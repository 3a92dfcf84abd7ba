# The icon-directory parser and the icon-file rebuild, fuzzed.
add_executable(fuzz_icon_directory ${CMAKE_CURRENT_LIST_DIR}/fuzz_icon_directory.cpp)
target_link_libraries(fuzz_icon_directory PRIVATE app_icon_core)
target_compile_options(fuzz_icon_directory PRIVATE -fsanitize=fuzzer,address,undefined)
target_link_options(fuzz_icon_directory PRIVATE -fsanitize=fuzzer,address,undefined)
