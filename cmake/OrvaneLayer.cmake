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
    # Headers are included as "orvane/<folder>/<Class>.h": from the source tree while
    # building, from <prefix>/include once installed (cmake/OrvaneInstall.cmake).
    target_include_directories(${name} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
    target_compile_features(${name} PUBLIC cxx_std_20)
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
    # orvane_render is exported as Orvane::render; the folders say which headers it owns.
    string(REGEX REPLACE "^orvane_" "" export_name ${name})
    set_target_properties(${name} PROPERTIES
        EXPORT_NAME ${export_name}
        ORVANE_FOLDERS "${ARG_FOLDERS}")
    add_library(Orvane::${export_name} ALIAS ${name})
endfunction()

# orvane_test_suite(NAME FOLDERS dir... LINKS target... [RESOURCE_LOCK name])
#
# One GoogleTest executable per layer from tests/<folder>/*.cpp; every test case becomes
# its own CTest entry so that failures are reported by name and run in parallel. Each test
# is labelled with the suite's name alone: test discovery flattens the properties into one
# list, so a second label would shift every property after it (a lock named after the
# labels was once silently lost that way). `ctest -L` takes a pattern, so a label such as
# tests_realmodels is also found by `-L realmodels`.
function(orvane_test_suite name)
    cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "FOLDERS;LINKS" ${ARGN})
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
        PROPERTIES LABELS ${name} TIMEOUT 300 ${lock})
endfunction()
