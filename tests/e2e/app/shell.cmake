# The real Kestrova.exe under Wine: start-up, single instance, closing, the
# tray icon and its menu, the end of the session and a restarting shell.
foreach(script test_startup test_tray)
  add_test(NAME e2e_shell_${script} COMMAND ${KESTROVA_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/${script}.py ${KESTROVA_E2E_ARGS})
  set_tests_properties(e2e_shell_${script} PROPERTIES
    TIMEOUT 600)
endforeach()
