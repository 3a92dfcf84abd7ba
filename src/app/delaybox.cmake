# The delay box's behaviour and the banner picture.
#   app_banner_core  pure, every build: the delay text rules, the PNG decoder,
#                    the fit rectangle, the reduction and the blend
#   app_delaybox     Win32: the delay box subclass and the banner window class
add_library(app_banner_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DelayText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BannerImage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BannerScale.cpp)
target_link_libraries(app_banner_core PUBLIC kestrova_options kestrova_png settings_core)
if(KESTROVA_FUZZ)
  # Coverage for the fuzzer, and the same sanitizers as the fuzz targets.
  target_compile_options(app_banner_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
  target_compile_definitions(app_banner_core PRIVATE KESTROVA_FUZZING)
endif()

if(WIN32)
  add_library(app_delaybox STATIC
    ${CMAKE_CURRENT_LIST_DIR}/DelayBox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Banner.cpp)
  target_link_libraries(app_delaybox PUBLIC app_banner_core platform PRIVATE comctl32 gdi32)
endif()
