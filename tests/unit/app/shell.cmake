# Start-up and shutdown: the command-line splitter.
add_executable(app_shell_unit_tests ${CMAKE_CURRENT_LIST_DIR}/SplitCommandLineTest.cpp)
target_link_libraries(app_shell_unit_tests PRIVATE app_shell_core kestrova_options GTest::gtest_main)
add_test(NAME app_shell_unit_tests COMMAND app_shell_unit_tests)
