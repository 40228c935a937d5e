# libtamr.so: the core behind a small C interface (include/tamr/tamr.h), for
# programs and other languages. The programs keep linking the static core.
# Only the tamr_* functions are exported: the core's objects are built with
# hidden visibility, and the version script hides anything else.
set(TAMR_SOVERSION 0)
set(TAMR_GENERATED_INCLUDE_DIR ${CMAKE_CURRENT_BINARY_DIR}/include)
configure_file(include/tamr/tamr_version.h.in ${TAMR_GENERATED_INCLUDE_DIR}/tamr/tamr_version.h @ONLY)

file(GLOB TAMR_CAPI_SOURCES CONFIGURE_DEPENDS src/capi/*.cpp)
add_library(tamr_shared SHARED ${TAMR_CAPI_SOURCES})
set_target_properties(tamr_shared PROPERTIES
    OUTPUT_NAME tamr
    VERSION ${TAMR_SOVERSION}.${PROJECT_VERSION}
    SOVERSION ${TAMR_SOVERSION}
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/capi/tamr.map)
target_include_directories(tamr_shared PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
    $<BUILD_INTERFACE:${TAMR_GENERATED_INCLUDE_DIR}>)
target_link_libraries(tamr_shared PRIVATE libtamr)
target_link_options(tamr_shared PRIVATE
    -Wl,--version-script=${CMAKE_CURRENT_SOURCE_DIR}/src/capi/tamr.map -Wl,--exclude-libs,ALL -Wl,--no-undefined)

install(TARGETS tamr_shared
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT libtamr0 NAMELINK_COMPONENT libtamr-dev)
install(FILES include/tamr/tamr.h ${TAMR_GENERATED_INCLUDE_DIR}/tamr/tamr_version.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tamr COMPONENT libtamr-dev)
file(RELATIVE_PATH TAMR_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(res/tamr.pc.in ${CMAKE_CURRENT_BINARY_DIR}/tamr.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/tamr.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT libtamr-dev)
