# The settings window, its controls, the application icon and the resources.

# The icon-directory parser: pure, in every build.
add_library(app_icon_core STATIC ${CMAKE_CURRENT_LIST_DIR}/IconData.cpp)
target_link_libraries(app_icon_core PUBLIC kestrova_options)
if(KESTROVA_FUZZ)
  # Coverage for libFuzzer, and the fuzz targets' sanitizers.
  target_compile_options(app_icon_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()

if(WIN32)
  enable_language(RC)

  # Resources as an object library, so every program that shows the window
  # (the executable, the window's tests) carries the same icon and manifest.
  set(kestrova_res ${CMAKE_SOURCE_DIR}/res)
  add_library(app_resources OBJECT ${kestrova_res}/Kestrova.rc)
  target_include_directories(app_resources PRIVATE ${kestrova_res})
  set(kestrova_res_inputs ${kestrova_res}/Kestrova.ico ${kestrova_res}/Kestrova.manifest ${kestrova_res}/banner.png)
  set_source_files_properties(${kestrova_res}/Kestrova.rc PROPERTIES OBJECT_DEPENDS "${kestrova_res_inputs}")

  add_library(app_window STATIC
    ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowControls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertyOps.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreTranslate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IconDataWin.cpp)
  # app_delaybox comes from delaybox.cmake; CMake resolves the name once the
  # directory is read.
  target_link_libraries(app_window PUBLIC kestrova_options platform app_icon_core app_delaybox scaling_core
                        user32 gdi32 comctl32)
endif()
