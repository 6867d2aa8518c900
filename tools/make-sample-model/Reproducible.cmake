# Runs the sample-model generator into OUTPUT and checks that every file it writes equals
# the committed one in DATA. Invoked by CTest: cmake -DGENERATOR=... -DDATA=... -DOUTPUT=...
file(REMOVE_RECURSE ${OUTPUT})
execute_process(COMMAND ${GENERATOR} ${OUTPUT} RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "make-sample-model failed: ${result}")
endif()
file(GLOB written RELATIVE ${OUTPUT} ${OUTPUT}/*)
list(LENGTH written count)
if(count LESS 7)
    message(FATAL_ERROR "make-sample-model wrote only: ${written}")
endif()
foreach(name IN LISTS written)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT}/${name} ${DATA}/${name}
        RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "data/${name} is not what make-sample-model writes; run "
                            "make-sample-model data and commit the result")
    endif()
endforeach()
