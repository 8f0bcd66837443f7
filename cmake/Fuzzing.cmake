# The libFuzzer build (QUELBRANT_FUZZ=ON, clang only): every object of the
# library is compiled with coverage instrumentation for the fuzzer and with
# ASan+UBSan, so that a memory fault or undefined behaviour anywhere on the
# fuzzed paths stops the run with the input that caused it. libstdc++'s
# assertions add bounds checks on std::vector and friends, which ASan alone
# misses inside a vector's spare capacity.
if(NOT QUELBRANT_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "QUELBRANT_FUZZ needs clang (e.g. -DCMAKE_CXX_COMPILER=clang++-14)")
endif()
if(NOT QUELBRANT_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUELBRANT_FUZZ brings its own sanitizers: leave QUELBRANT_SANITIZE empty")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -g)
add_compile_definitions(_GLIBCXX_ASSERTIONS)
add_link_options(-fsanitize=address,undefined)
