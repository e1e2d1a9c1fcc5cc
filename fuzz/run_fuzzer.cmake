# Runs a libFuzzer target for a bounded time on a fresh copy of its seed corpus in the build
# tree. Any crash, leak, timeout or sanitizer report makes libFuzzer exit non-zero, and so this.
# Arguments: FUZZER (the program), SEEDS (the committed corpus), WORK (a scratch directory),
# SECONDS (how long to run). Inputs are capped at 64 KiB: a full-size picture from the corpus
# is read as its header and first rows, which keeps every run fast.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
file(COPY "${SEEDS}/" DESTINATION "${WORK}/corpus")
execute_process(
    COMMAND "${FUZZER}" "${WORK}/corpus" -max_total_time=${SECONDS} -max_len=65536 -rss_limit_mb=2048
            -timeout=10 -print_final_stats=1 "-artifact_prefix=${WORK}/artifacts/"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the failing input is in ${WORK}/artifacts")
endif()
