# The delay box inside the real settings window, and the banner, under Wine.
set(KESTROVA_BANNER_PNG ${CMAKE_SOURCE_DIR}/res/banner.png)
configure_file(${CMAKE_CURRENT_LIST_DIR}/banner_resource.rc.in ${CMAKE_CURRENT_BINARY_DIR}/banner_resource.rc @ONLY)
add_executable(app_delaybox_win_tests
  ${CMAKE_CURRENT_LIST_DIR}/WindowFixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DelayBoxWinTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BannerWinTest.cpp
  ${CMAKE_CURRENT_BINARY_DIR}/banner_resource.rc)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/banner_resource.rc PROPERTIES OBJECT_DEPENDS ${KESTROVA_BANNER_PNG})
target_include_directories(app_delaybox_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/unit/app)
target_link_libraries(app_delaybox_win_tests PRIVATE app_window app_delaybox app_resources kestrova_options gtest_main)
add_test(NAME app_delaybox_win_tests COMMAND ${KESTROVA_WINRUN} $<TARGET_FILE:app_delaybox_win_tests> --gtest_brief=1)
set_tests_properties(app_delaybox_win_tests PROPERTIES TIMEOUT 300)
