# A fuzzing build: every target of the project is compiled by clang with coverage feedback for
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, so the parsers run instrumented
# exactly as the program links them. Configure it on its own (scripts/fuzz.sh does):
#   CXX=clang++ cmake -S . -B build/fuzz -DMOJING_FUZZ=ON -DMOJING_GUI=OFF -DMOJING_TESTS=OFF -DMOJING_BENCH=OFF
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "MOJING_FUZZ needs clang (libFuzzer); configure with CXX=clang++")
endif()
if(MOJING_GUI OR MOJING_TESTS OR MOJING_BENCH)
    message(FATAL_ERROR "MOJING_FUZZ builds only the core and the fuzzers: add "
                        "-DMOJING_GUI=OFF -DMOJING_TESTS=OFF -DMOJING_BENCH=OFF")
endif()
# Undefined behaviour aborts (a finding with a reproducer) instead of printing and going on.
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
# The build type scripts/fuzz.sh uses: quick to compile, fast enough to fuzz, line tables for the
# sanitizers' stack traces. Assertions stay on: a failed one is a finding too.
set(CMAKE_CXX_FLAGS_FUZZ "-O1 -gline-tables-only" CACHE STRING "Compile flags of the Fuzz build type")
