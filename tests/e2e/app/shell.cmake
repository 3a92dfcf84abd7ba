# The real Kestrova.exe under Wine: start-up, single instance, closing, the
# tray icon and its menu, the end of the session and a restarting shell.
foreach(script test_startup test_tray)
  add_test(NAME e2e_shell_${script} COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/${script}.py)
  set_tests_properties(e2e_shell_${script} PROPERTIES
    ENVIRONMENT "KESTROVA_EXE=$<TARGET_FILE:Kestrova>;KESTROVA_TOOLS=$<TARGET_FILE_DIR:probe>"
    TIMEOUT 600)
endforeach()
