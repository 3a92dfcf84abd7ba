# The delay box's text rules and the banner picture's decoder, fit, reduction and blend.
add_executable(app_delaybox_unit_tests
  ${CMAKE_CURRENT_LIST_DIR}/DelayTextTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BannerImageTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BannerScaleTest.cpp)
target_link_libraries(app_delaybox_unit_tests PRIVATE app_banner_core kestrova_options GTest::gtest_main)
target_compile_definitions(app_delaybox_unit_tests PRIVATE KESTROVA_BANNER_PNG="${CMAKE_SOURCE_DIR}/res/banner.png")
add_test(NAME app_delaybox_unit_tests COMMAND app_delaybox_unit_tests)
