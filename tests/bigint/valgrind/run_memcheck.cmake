# Runs PROGRAM MODE under memcheck, which exits with 99 when it reported anything; the test passes
# when the exit status is EXPECT (0: nothing reported, 99: the control was flagged).
execute_process(COMMAND ${VALGRIND} --tool=memcheck --error-exitcode=99 --track-origins=yes ${PROGRAM} ${MODE}
                RESULT_VARIABLE status)
if(NOT status STREQUAL "${EXPECT}")
  message(FATAL_ERROR "memcheck ${MODE}: exit status ${status}, expected ${EXPECT}")
endif()
