# Runs TOOL with ARGS (a list) and fails unless it exits with CODE.
execute_process(COMMAND ${TOOL} ${ARGS} RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT result EQUAL CODE)
  message(FATAL_ERROR "expected exit code ${CODE}, got ${result}: ${err}")
endif()
