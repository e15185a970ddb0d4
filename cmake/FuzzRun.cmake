# Short runs of the libFuzzer targets as tests (label "fuzz"); long runs by
# hand. Each run grows the target's own corpus in the build tree from its
# seeds, and a crashing input fails the test and lands in the build tree's
# root, named by libFuzzer.
#
#   gsd_add_fuzz_run(TARGET SEED_FOLDER SECONDS)
function(gsd_add_fuzz_run target seeds seconds)
  set(corpus ${CMAKE_BINARY_DIR}/corpus/${target})
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz.${target}
    COMMAND ${target} -max_total_time=${seconds} -print_final_stats=0 -artifact_prefix=${CMAKE_BINARY_DIR}/
            ${corpus} ${seeds})
  # libFuzzer stops at the time given; the timeout only catches a hang in
  # starting up or in reading the corpus.
  math(EXPR timeout "${seconds} * 4 + 60")
  set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz TIMEOUT ${timeout})
endfunction()
