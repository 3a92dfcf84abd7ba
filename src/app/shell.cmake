# Start-up, single instance, shutdown and the tray icon; the executable.

# The command-line splitter: pure, built everywhere.
add_library(app_shell_core STATIC ${CMAKE_CURRENT_LIST_DIR}/CommandLine.cpp)
target_link_libraries(app_shell_core PUBLIC kestrova_options)
if(KESTROVA_FUZZ)
  # Coverage for libFuzzer, which links in the fuzz target itself.
  target_compile_options(app_shell_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()

if(WIN32)
  # Telling the shell about the icon, over a seam the tests substitute.
  add_library(app_tray STATIC ${CMAKE_CURRENT_LIST_DIR}/TrayIconUpdate.cpp)
  target_link_libraries(app_tray PUBLIC kestrova_options platform shell32)

  # The lean runtime replaces libstdc++'s throwing helpers (see the file).
  add_executable(Kestrova WIN32
    ${CMAKE_CURRENT_LIST_DIR}/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Startup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TrayIcon.cpp
    ${CMAKE_SOURCE_DIR}/src/runtime/LeanRuntime.cpp)
  set_target_properties(Kestrova PROPERTIES
    OUTPUT_NAME Kestrova
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_libraries(Kestrova PRIVATE
    kestrova_options platform app_shell_core app_tray
    app_window app_resources app_delaybox keymap_win settings_win scaling_win
    ole32 shell32 comctl32 user32 gdi32 kernel32)
endif()
