# orvane_layer(NAME FOLDERS dir... [LINKS target...])
#
# One library per layer. Sources are picked up from the layer's namespace folders so
# that adding a class is adding its two files; CONFIGURE_DEPENDS re-globs on every build.
function(orvane_layer name)
    cmake_parse_arguments(ARG "" "" "FOLDERS;LINKS" ${ARGN})
    set(sources "")
    foreach(folder IN LISTS ARG_FOLDERS)
        file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/orvane/${folder}/*.cpp)
        list(APPEND sources ${found})
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# orvane_test_suite(NAME FOLDERS dir... LINKS target... [LABELS label...])
#
# One GoogleTest executable per layer from tests/<folder>/*.cpp; every test case becomes
# its own CTest entry so that failures are reported by name and run in parallel.
function(orvane_test_suite name)
    cmake_parse_arguments(ARG "" "" "FOLDERS;LINKS;LABELS" ${ARGN})
    set(sources "")
    foreach(folder IN LISTS ARG_FOLDERS)
        file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
        list(APPEND sources ${found})
    endforeach()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        PROPERTIES LABELS "${name};${ARG_LABELS}" TIMEOUT 300)
endfunction()
