# The settings window under Wine: creation, events, property operations, icons
# and keyboard navigation, against the real (Wine) window manager.
add_executable(app_window_win_tests
  ${CMAKE_CURRENT_LIST_DIR}/WindowFixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PropertyOpsTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppIconTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreTranslateTest.cpp)
target_link_libraries(app_window_win_tests PRIVATE app_window app_resources gtest_main)
# The committed icon file, read back through Wine's Z: drive.
string(REPLACE "/" "\\\\" kestrova_icon_wine_path "Z:${CMAKE_SOURCE_DIR}/res/Kestrova.ico")
target_compile_definitions(app_window_win_tests PRIVATE KESTROVA_ICON_FILE="${kestrova_icon_wine_path}")
add_test(NAME app_window_win_tests COMMAND ${KESTROVA_WINRUN} $<TARGET_FILE:app_window_win_tests> --gtest_brief=1)
set_tests_properties(app_window_win_tests PROPERTIES TIMEOUT 300)
