# orvane_layer(NAME FOLDERS dir... [LINKS target...] [EXCLUDE file...] [SOURCES file...])
#
# One library per layer. Sources are picked up from the layer's namespace folders so
# that adding a class is adding its two files; CONFIGURE_DEPENDS re-globs on every build.
# EXCLUDE and SOURCES (paths under orvane/) move a class of one namespace into a higher
# layer that it needs (gui/OpenGL.cpp makes render contexts, so it is built with them).
function(orvane_layer name)
    cmake_parse_arguments(ARG "" "" "FOLDERS;LINKS;EXCLUDE;SOURCES" ${ARGN})
    set(sources "")
    foreach(folder IN LISTS ARG_FOLDERS)
        file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/orvane/${folder}/*.cpp)
        list(APPEND sources ${found})
    endforeach()
    foreach(file IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/orvane/${file})
    endforeach()
    foreach(file IN LISTS ARG_SOURCES)
        list(APPEND sources ${PROJECT_SOURCE_DIR}/orvane/${file})
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
    cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "FOLDERS;LINKS;LABELS" ${ARGN})
    set(sources "")
    foreach(folder IN LISTS ARG_FOLDERS)
        file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
        list(APPEND sources ${found})
    endforeach()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest_main GTest::gmock)
    # Tests that share something outside the process (files opened exclusively, say) name
    # it as a lock, and CTest then never runs two of them at once.
    set(lock "")
    if(ARG_RESOURCE_LOCK)
        set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
        PROPERTIES LABELS "${name};${ARG_LABELS}" TIMEOUT 300 ${lock})
endfunction()
