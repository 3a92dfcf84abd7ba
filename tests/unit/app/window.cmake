# The icon-directory parser and the committed application icon.
add_executable(app_icon_core_tests ${CMAKE_CURRENT_LIST_DIR}/IconDataTest.cpp)
target_link_libraries(app_icon_core_tests PRIVATE app_icon_core GTest::gtest_main)
target_compile_definitions(app_icon_core_tests PRIVATE
  KESTROVA_ICON_FILE="${CMAKE_SOURCE_DIR}/res/Kestrova.ico")
add_test(NAME app_icon_core_tests COMMAND app_icon_core_tests)
