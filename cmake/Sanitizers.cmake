if(QUORVELIN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
# Coverage feedback for libFuzzer from every layer, not only the harnesses; the harnesses add
# -fsanitize=fuzzer (the fuzzing engine and its main).
if(QUORVELIN_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()
