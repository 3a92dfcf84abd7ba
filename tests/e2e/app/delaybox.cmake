# The delay box and the banner of the real program, driven with xdotool.
add_test(NAME e2e_delaybox COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_delaybox.py)
set_tests_properties(e2e_delaybox PROPERTIES
  ENVIRONMENT "KESTROVA_EXE=$<TARGET_FILE:Kestrova>;KESTROVA_TOOLS=$<TARGET_FILE_DIR:probe>"
  TIMEOUT 300)
# The banner on the screen against a reduction of the picture made by the test.
add_test(NAME e2e_banner COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_banner.py)
set_tests_properties(e2e_banner PROPERTIES
  ENVIRONMENT "KESTROVA_EXE=$<TARGET_FILE:Kestrova>;KESTROVA_TOOLS=$<TARGET_FILE_DIR:probe>"
  TIMEOUT 600)
