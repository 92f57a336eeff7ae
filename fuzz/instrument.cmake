# The fuzz build: every library is compiled with libFuzzer's coverage
# instrumentation and the sanitizers, so that a fault deep inside one stops
# the fuzzer; the fuzz targets add libFuzzer's main (see fuzz/CMakeLists.txt).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "SKYRILL_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()
if(SKYRILL_SANITIZE)
  message(FATAL_ERROR "SKYRILL_FUZZ brings its own sanitizers: leave SKYRILL_SANITIZE off")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer -g)
