# Flags shared by every target: warnings on, and exact floating point so that a seed
# gives the same pixels on every build (no contraction into fused multiply-adds).
function(huemix_set_flags target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /fp:precise)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wimplicit-fallthrough -ffp-contract=off)
  endif()
endfunction()
