# Installs the engine from BUILD_DIR into a scratch prefix under WORK and builds the
# example consumer (EXAMPLE) against that prefix alone, as another project would: once with
# find_package(Orvane), once with the pkg-config files. Before that, every engine header
# an installed header includes must have been installed too.
#
#   cmake -DBUILD_DIR=... -DWORK=... -DEXAMPLE=... -DGENERATOR=... -DCXX=... -DLIBDIR=lib
#         [-DLAUNCHER=ccache] [-DBUILD_TYPE=...] [-DEXTRA_FLAGS=...] [-DWERROR=ON]
#         -P BuildExample.cmake
#
# The example's program is left at WORK/example/orvane-example for the test that runs it.
cmake_minimum_required(VERSION 3.25)

function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${what} failed (${result}):\n${out}")
    endif()
endfunction()

set(prefix ${WORK}/prefix)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

run("installing" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(expected
        include/orvane/graphics3d/model3ds/Translator3DS.h include/orvane/gui/OpenGL.h
        include/orvane/gui3d/Root.h share/orvane/data/f5e_05.3ds share/orvane/data/nozzle.pcx
        bin/orvane-image bin/orvane-3ds bin/orvane-viewer bin/orvane-thumbnail
        share/thumbnailers/orvane.thumbnailer share/mime/packages/orvane-3ds.xml)
    if(NOT EXISTS ${prefix}/${expected})
        message(FATAL_ERROR "not installed: ${expected}")
    endif()
endforeach()

# Every "orvane/..." include of an installed header names an installed header.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include ${prefix}/include/*.h)
foreach(header IN LISTS headers)
    file(STRINGS ${prefix}/include/${header} includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" included "${line}")
        if(NOT EXISTS ${prefix}/include/${included})
            message(FATAL_ERROR "${header} includes ${included}, which is not installed")
        endif()
    endforeach()
endforeach()

# With CMake's package.
set(configure ${CMAKE_COMMAND} -S ${EXAMPLE} -B ${WORK}/example -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX})
if(LAUNCHER)
    list(APPEND configure -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
if(BUILD_TYPE)
    list(APPEND configure -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
endif()
if(EXTRA_FLAGS)
    list(APPEND configure "-DCMAKE_CXX_FLAGS=${EXTRA_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${EXTRA_FLAGS}")
endif()
if(WERROR)
    list(APPEND configure -DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
endif()
run("configuring the example against the package" ${configure})
run("building the example against the package" ${CMAKE_COMMAND} --build ${WORK}/example)

# With pkg-config: the flags orvane-render gives must compile and link the same program.
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
execute_process(COMMAND pkg-config --cflags --libs orvane-render
    RESULT_VARIABLE result OUTPUT_VARIABLE flags ERROR_VARIABLE flags
    OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "pkg-config knows no orvane-render:\n${flags}")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
separate_arguments(extra UNIX_COMMAND "${EXTRA_FLAGS}")
run("building the example with pkg-config's flags"
    ${LAUNCHER} ${CXX} ${extra} -Wall -Wextra
    "-DORVANE_EXAMPLE_MODEL=\"${prefix}/share/orvane/data/f5e_05.3ds\""
    ${EXAMPLE}/main.cpp ${EXAMPLE}/ModelView.cpp ${flags} -o ${WORK}/orvane-example-pkgconfig)
