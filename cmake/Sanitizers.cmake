# The checked builds: VANTREL_SANITIZE builds everything with the address and
# undefined-behaviour sanitizers (any undefined behaviour stops the program);
# VANTREL_FUZZ (clang) adds libFuzzer's coverage to all code and the harnesses
# of tests/fuzz/.
option(VANTREL_SANITIZE "Build with -fsanitize=address,undefined" OFF)
option(VANTREL_FUZZ "Build the libFuzzer harnesses (clang; sanitized)" OFF)
if(VANTREL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "VANTREL_FUZZ needs clang: configure with CC=clang CXX=clang++")
  endif()
  set(VANTREL_SANITIZE ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(VANTREL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
