# What `cmake --install` (and `make install PREFIX=...`) puts under the prefix:
#
#   include/orvane/<folder>/*.h             the headers of every public layer
#   lib/liborvane_<layer>.a                 the layer libraries (static)
#   lib/cmake/Orvane/                       the CMake package: find_package(Orvane) gives
#                                           Orvane::foundation, ::io, ::native, ::app, ::render
#   lib/pkgconfig/orvane-<layer>.pc         one pkg-config file per public layer
#   bin/                                    orvane-image, orvane-3ds, orvane-viewer,
#                                           orvane-thumbnail (each installed by its own
#                                           folder, when it is built)
#   share/thumbnailers/orvane.thumbnailer   the file managers' entry for orvane-thumbnail
#   share/mime/packages/orvane-3ds.xml      the 3DS MIME type, image/x-3ds
#   share/orvane/data/                      the sample jet and its textures
#
# The sample data keeps the layout of the source tree (data/f5e_05.3ds beside its
# textures), so a program that opens "data/f5e_05.3ds" from share/orvane finds it.
# Every installed path is relative to the prefix: the package and the pkg-config files
# may be moved with it.

include(CMakePackageConfigHelpers)

set(ORVANE_PUBLIC_LAYERS orvane_foundation orvane_io orvane_native orvane_app orvane_render)
set(ORVANE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Orvane)
set(ORVANE_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
set(ORVANE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/orvane/data)

install(TARGETS ${ORVANE_PUBLIC_LAYERS}
    EXPORT OrvaneTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})

foreach(layer IN LISTS ORVANE_PUBLIC_LAYERS)
    get_target_property(folders ${layer} ORVANE_FOLDERS)
    foreach(folder IN LISTS folders)
        install(DIRECTORY ${PROJECT_SOURCE_DIR}/orvane/${folder}/
            DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvane/${folder}
            FILES_MATCHING PATTERN "*.h")
    endforeach()
endforeach()

install(EXPORT OrvaneTargets
    NAMESPACE Orvane::
    DESTINATION ${ORVANE_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OrvaneConfig.cmake.in
    ${PROJECT_BINARY_DIR}/OrvaneConfig.cmake
    INSTALL_DESTINATION ${ORVANE_CMAKE_DIR}
    PATH_VARS ORVANE_DATA_DIR)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OrvaneConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OrvaneConfig.cmake ${PROJECT_BINARY_DIR}/OrvaneConfigVersion.cmake
    DESTINATION ${ORVANE_CMAKE_DIR})

# pkg-config: each layer requires the layers below it and the system libraries it links.
# The libraries are static, so their dependencies are public (Requires, Libs), not private.
# giflib ships no pkg-config file on Debian; -lgif names it directly.
file(RELATIVE_PATH ORVANE_PC_TO_PREFIX
    ${CMAKE_INSTALL_PREFIX}/${ORVANE_PKGCONFIG_DIR} ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" ORVANE_PC_TO_PREFIX "${ORVANE_PC_TO_PREFIX}")
function(orvane_pkgconfig layer description requires libs)
    string(REGEX REPLACE "^orvane_" "orvane-" module ${layer})
    set(ORVANE_PC_LAYER ${layer})
    set(ORVANE_PC_MODULE ${module})
    set(ORVANE_PC_DESCRIPTION "${description}")
    set(ORVANE_PC_REQUIRES "${requires}")
    set(ORVANE_PC_LIBS "${libs}")
    configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/orvane.pc.in
        ${PROJECT_BINARY_DIR}/pkgconfig/${module}.pc @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${module}.pc DESTINATION ${ORVANE_PKGCONFIG_DIR})
endfunction()

orvane_pkgconfig(orvane_foundation "Orvane objects, containers, threads and the assembler"
    "" "-pthread")
orvane_pkgconfig(orvane_io "Orvane streams, files and images"
    "orvane-foundation libpng libjpeg zlib" "-lgif")
orvane_pkgconfig(orvane_native "Orvane X11, GLX and EGL access"
    "orvane-foundation x11 gl glx egl" "")
orvane_pkgconfig(orvane_app "Orvane application framework, windows and views"
    "orvane-foundation orvane-native" "")
orvane_pkgconfig(orvane_render "Orvane rendering, models, fonts and the in-scene GUI"
    "orvane-io orvane-app orvane-native freetype2" "")

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${ORVANE_DATA_DIR})

# The viewer, wherever its target is part of the build.
if(TARGET orvane-viewer)
    install(TARGETS orvane-viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
