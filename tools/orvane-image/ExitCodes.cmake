# Runs orvane-image with bad arguments and with a missing file and checks the exit codes
# and the first words of the messages. Invoked by CTest: cmake -DTOOL=... -P ExitCodes.cmake
function(expect code pattern)
    execute_process(COMMAND ${TOOL} ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE err OUTPUT_QUIET)
    if(NOT result EQUAL code)
        message(FATAL_ERROR "orvane-image ${ARGN}: exit ${result}, expected ${code}")
    endif()
    if(NOT err MATCHES "${pattern}")
        message(FATAL_ERROR "orvane-image ${ARGN}: standard error '${err}' lacks '${pattern}'")
    endif()
endfunction()

expect(2 "^usage: orvane-image")
expect(2 "^usage: orvane-image" frobnicate x)
expect(2 "^usage: orvane-image" info)
expect(2 "^usage: orvane-image" pam only-one-argument)
expect(1 "FileNotFoundException: The system cannot find the file specified." info ${CMAKE_CURRENT_LIST_DIR}/absent.bmp)
