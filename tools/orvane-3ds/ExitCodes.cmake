# Runs orvane-3ds with bad arguments, a missing file and no way to make an OpenGL context,
# and checks the exit codes and the first words of the messages. Invoked by CTest:
# cmake -DTOOL=... -P ExitCodes.cmake
function(expect code pattern)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result ERROR_VARIABLE err OUTPUT_VARIABLE out)
    if(NOT result EQUAL code)
        message(FATAL_ERROR "${ARGN}: exit ${result}, expected ${code}")
    endif()
    if(NOT "${err}${out}" MATCHES "${pattern}")
        message(FATAL_ERROR "${ARGN}: output '${out}${err}' lacks '${pattern}'")
    endif()
endfunction()

expect(2 "^usage: orvane-3ds" ${TOOL})
expect(2 "^usage: orvane-3ds" ${TOOL} info --textures)
expect(1 "status FileNotFoundException" ${TOOL} info --no-textures ${CMAKE_CURRENT_LIST_DIR}/absent.3ds)
# With no EGL vendor to load, no offscreen context can be made: info says so, unless it
# need not load textures.
expect(2 "no offscreen OpenGL context"
    ${CMAKE_COMMAND} -E env __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json ${TOOL} info ${MODEL})
expect(0 "status ok"
    ${CMAKE_COMMAND} -E env __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json ${TOOL} info --no-textures ${MODEL})
