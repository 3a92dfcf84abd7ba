# The tray icon's update decisions, against a recording substitute of the shell.
add_executable(app_tray_win_tests ${CMAKE_CURRENT_LIST_DIR}/TrayIconUpdateTest.cpp)
target_link_libraries(app_tray_win_tests PRIVATE app_tray kestrova_options gtest_main)
add_test(NAME app_tray_win_tests COMMAND ${KESTROVA_WINRUN} $<TARGET_FILE:app_tray_win_tests> --gtest_brief=1)
