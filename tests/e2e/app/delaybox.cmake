# The delay box and the banner of the real program, driven with xdotool.
add_test(NAME e2e_delaybox COMMAND ${KESTROVA_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/test_delaybox.py ${KESTROVA_E2E_ARGS})
set_tests_properties(e2e_delaybox PROPERTIES
  TIMEOUT 300)
