# Runs one libFuzzer target for a bounded time over its seed corpus.
# Inputs: FUZZER, CORPUS, SEEDS, SEED_TOOL, NAME, SECONDS.
file(MAKE_DIRECTORY ${CORPUS} ${SEEDS})
execute_process(COMMAND ${SEED_TOOL} ${NAME} ${SEEDS} RESULT_VARIABLE seed_rc)
if(NOT seed_rc EQUAL 0)
  message(FATAL_ERROR "seed generation for ${NAME} failed")
endif()
execute_process(COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
                        -print_final_stats=1 ${CORPUS} ${SEEDS}
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${NAME} found a failing input (exit ${rc})")
endif()
