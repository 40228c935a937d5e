# The Python module `tamr`: the compiled extension _tamr over the core and the
# pure-Python package around it, laid out together in build/.../python so that
# the tests import it from there. Left out, with a line saying so, when the
# Debian python3 and pybind11 are not there.
option(TAMR_BUILD_PYTHON "Build the Python module tamr (needs pybind11)" ON)
# Debian's own interpreter, whose numpy, Pillow and Dask the module is for;
# not whichever python3 comes first on the PATH.
set(TAMR_PYTHON /usr/bin/python3 CACHE FILEPATH "The python3 the module is built for")
# Where `cmake --install --component python3-tamr` (and the Debian package of
# that name) puts the package: the folder of Debian's python3 packages.
set(TAMR_PYTHON_INSTALL_DIR lib/python3/dist-packages CACHE STRING
    "Where the Python package is installed, under the prefix")

set(TAMR_PYTHON_FOUND OFF)
if(TAMR_BUILD_PYTHON)
  if(EXISTS ${TAMR_PYTHON} AND NOT DEFINED Python_EXECUTABLE)
    set(Python_EXECUTABLE ${TAMR_PYTHON})
  endif()
  find_package(Python QUIET COMPONENTS Interpreter Development.Module)
  if(Python_FOUND)
    find_package(pybind11 CONFIG QUIET)
  endif()
  if(Python_FOUND AND pybind11_FOUND)
    set(TAMR_PYTHON_FOUND ON)
    message(STATUS "Python module: pybind11 ${pybind11_VERSION} for ${Python_EXECUTABLE} ${Python_VERSION}")
  elseif(NOT Python_FOUND)
    message(STATUS "Python module: left out (no python3 with its headers; install python3-dev)")
  else()
    message(STATUS "Python module: left out (pybind11 not found; install pybind11-dev)")
  endif()
endif()

if(TAMR_PYTHON_FOUND)
  # The core goes into a shared object.
  set_target_properties(libtamr PROPERTIES POSITION_INDEPENDENT_CODE ON)
  set(TAMR_PYTHON_PACKAGE ${CMAKE_CURRENT_BINARY_DIR}/python/tamr)
  # The command line's readings of the codec options, figure names and codec
  # lists, so that the module takes them with the same words and messages.
  file(GLOB TAMR_PYTHON_SOURCES CONFIGURE_DEPENDS src/python/*.cpp)
  pybind11_add_module(_tamr MODULE ${TAMR_PYTHON_SOURCES} src/cli/CodecOptions.cpp src/cli/FigureOutput.cpp
      src/cli/CodecLists.cpp src/cli/SweepJson.cpp)
  target_link_libraries(_tamr PRIVATE libtamr CLI11::CLI11 nlohmann_json::nlohmann_json)
  set_target_properties(_tamr PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${TAMR_PYTHON_PACKAGE})
  target_compile_definitions(_tamr PRIVATE TAMR_VERSION="${PROJECT_VERSION}")
  file(GLOB TAMR_PYTHON_FILES CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}/python/tamr
      python/tamr/*.py)
  foreach(file ${TAMR_PYTHON_FILES})
    configure_file(python/tamr/${file} ${TAMR_PYTHON_PACKAGE}/${file} COPYONLY)
  endforeach()

  install(TARGETS _tamr LIBRARY DESTINATION ${TAMR_PYTHON_INSTALL_DIR}/tamr COMPONENT python3-tamr EXCLUDE_FROM_ALL)
  list(TRANSFORM TAMR_PYTHON_FILES PREPEND ${TAMR_PYTHON_PACKAGE}/)
  install(FILES ${TAMR_PYTHON_FILES} DESTINATION ${TAMR_PYTHON_INSTALL_DIR}/tamr COMPONENT python3-tamr
      EXCLUDE_FROM_ALL)
endif()
