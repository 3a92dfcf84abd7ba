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
  set(kestrova_res_inputs ${kestrova_res}/Kestrova.ico ${kestrova_res}/Kestrova.manifest)
  # The banner picture is committed by the delay box's owner; until it exists
  # the resources are built without it.
  if(EXISTS ${kestrova_res}/banner.png)
    target_compile_definitions(app_resources PRIVATE KESTROVA_HAVE_BANNER_PNG=1)
    list(APPEND kestrova_res_inputs ${kestrova_res}/banner.png)
  endif()
  set_source_files_properties(${kestrova_res}/Kestrova.rc PROPERTIES OBJECT_DEPENDS "${kestrova_res_inputs}")

  add_library(app_window STATIC
    ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowControls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PropertyOps.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreTranslate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AppIcon.cpp)
  target_link_libraries(app_window PUBLIC kestrova_options platform app_icon_core user32 gdi32 comctl32)

  # The delay box and the banner come from delaybox.cmake, which is read after
  # this fragment: link them, when they exist, once the directory is complete.
  function(kestrova_window_link_delaybox)
    if(TARGET app_delaybox)
      target_link_libraries(app_window PUBLIC app_delaybox)
      target_compile_definitions(app_window PRIVATE KESTROVA_HAVE_DELAYBOX=1)
    endif()
  endfunction()
  cmake_language(DEFER CALL kestrova_window_link_delaybox)
endif()
