# The foundation layer and the machine-code tests as 32-bit x86 code (ORVANE_IA32=ON), so
# that programs from the IA-32 encoder run for real. Needs g++-multilib; GoogleTest is
# built from Debian's sources because its packaged libraries are 64-bit only.
add_compile_options(-m32)
add_link_options(-m32)

orvane_layer(orvane_foundation
    FOLDERS object types container system
    LINKS Threads::Threads)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(machine_code_tests AssemblerTest Ia32EncoderTest ProgramRandomTest ProgramRunTest ProgramTest)
list(TRANSFORM machine_code_tests PREPEND ${PROJECT_SOURCE_DIR}/tests/system/)
list(TRANSFORM machine_code_tests APPEND .cpp)
add_executable(tests_ia32 ${machine_code_tests})
target_include_directories(tests_ia32 PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(tests_ia32 PRIVATE orvane_foundation gtest_main)
