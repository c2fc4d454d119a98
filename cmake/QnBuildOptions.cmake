# Compile options every target of this project takes, as an interface target.
add_library(qn_build_options INTERFACE)
target_compile_options(qn_build_options INTERFACE
  $<$<COMPILE_LANG_AND_ID:CXX,GNU,Clang>:-Wall -Wextra -Wpedantic>
  $<$<COMPILE_LANG_AND_ID:C,GNU,Clang>:-Wall -Wextra -Wpedantic>
  # The curves are defined to the bit: no contraction into fused multiply-adds.
  $<$<COMPILE_LANG_AND_ID:CXX,GNU,Clang>:-ffp-contract=off>
  $<$<COMPILE_LANG_AND_ID:C,GNU,Clang>:-ffp-contract=off>)
if(QN_WARNINGS_AS_ERRORS)
  target_compile_options(qn_build_options INTERFACE
    $<$<COMPILE_LANG_AND_ID:CXX,GNU,Clang>:-Werror>
    $<$<COMPILE_LANG_AND_ID:C,GNU,Clang>:-Werror>)
endif()

# Sanitizer builds: QN_SANITIZERS is a -fsanitize= list (for example "address,undefined").
# Every finding stops the program, so a test or fuzzer run fails on the first report.
set(QN_SANITIZERS "" CACHE STRING "Sanitizers for every target, as a -fsanitize= list")
if(QN_SANITIZERS)
  target_compile_options(qn_build_options INTERFACE
    -fsanitize=${QN_SANITIZERS} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(qn_build_options INTERFACE -fsanitize=${QN_SANITIZERS})
endif()

# Fuzzer builds instrument every target for coverage; only the fuzz targets link libFuzzer's
# main (fuzz/CMakeLists.txt).
option(QN_BUILD_FUZZERS "Build the libFuzzer targets in fuzz/ (clang only)" OFF)
if(QN_BUILD_FUZZERS)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QN_BUILD_FUZZERS needs clang (libFuzzer)")
  endif()
  target_compile_options(qn_build_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
