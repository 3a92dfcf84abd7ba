# The delay box and the banner of the real program, driven with xdotool.
add_test(NAME e2e_delaybox COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_delaybox.py)
set_tests_properties(e2e_delaybox PROPERTIES
  ENVIRONMENT "KESTROVA_EXE=$<TARGET_FILE:Kestrova>;KESTROVA_TOOLS=$<TARGET_FILE_DIR:probe>"
  TIMEOUT 300)
