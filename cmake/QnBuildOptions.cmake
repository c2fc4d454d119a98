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
