# Figures for the banner picture; they print, they do not assert.
# Run them all with: python3 bench/app/run_banner.py
if(NOT WIN32)
  find_package(benchmark REQUIRED)
  add_executable(bench_banner_image ${CMAKE_CURRENT_LIST_DIR}/BannerImageBench.cpp)
  target_link_libraries(bench_banner_image PRIVATE app_banner_core benchmark::benchmark_main)
  target_compile_definitions(bench_banner_image PRIVATE KESTROVA_BANNER_PNG="${CMAKE_SOURCE_DIR}/res/banner.png")
else()
  set(KESTROVA_BANNER_PNG ${CMAKE_SOURCE_DIR}/res/banner.png)
  configure_file(${CMAKE_SOURCE_DIR}/tests/win/app/banner_resource.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/bench_banner_resource.rc @ONLY)
  add_executable(bench_banner_paint ${CMAKE_CURRENT_LIST_DIR}/BannerPaintBench.cpp
                 ${CMAKE_CURRENT_BINARY_DIR}/bench_banner_resource.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/bench_banner_resource.rc PROPERTIES
                              OBJECT_DEPENDS ${KESTROVA_BANNER_PNG})
  target_link_libraries(bench_banner_paint PRIVATE app_delaybox kestrova_options)
endif()
