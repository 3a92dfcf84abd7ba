# libFuzzer targets for the banner decoder and the delay box's text rules.
# Seed corpus for fuzz_png_decode: png_seeds/ (remade by make_png_seeds.py);
# dictionary: png.dict. In this build the decoder ignores chunk checksums.
foreach(target fuzz_png_decode fuzz_delay_text)
  add_executable(${target} ${CMAKE_CURRENT_LIST_DIR}/${target}.cpp)
  target_link_libraries(${target} PRIVATE app_banner_core kestrova_options)
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
endforeach()
