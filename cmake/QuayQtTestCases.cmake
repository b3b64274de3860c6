# Run with cmake -P when ctest starts: lists the test functions of a Qt Test binary
# (TEST_BINARY) and writes one ctest entry per function into CTEST_FILE, named PREFIX<function>,
# with the given TIMEOUT and ENVIRONMENT (a ";"-list, passed with "|" in place of ";").
string(REPLACE "|" ";" environment "${ENVIRONMENT}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${environment} ${TEST_BINARY} -functions
                OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
    file(WRITE ${CTEST_FILE} "add_test([=[${PREFIX}listing]=] ${TEST_BINARY} -functions)\n")
    return()
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
foreach(line ${lines})
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)\\(\\)$")
        set(function ${CMAKE_MATCH_1})
        string(APPEND script
               "add_test([=[${PREFIX}${function}]=] [=[${TEST_BINARY}]=] ${function})\n"
               "set_tests_properties([=[${PREFIX}${function}]=] PROPERTIES TIMEOUT ${TIMEOUT} "
               "ENVIRONMENT [=[${environment}]=])\n")
    endif()
endforeach()
file(WRITE ${CTEST_FILE} "${script}")
