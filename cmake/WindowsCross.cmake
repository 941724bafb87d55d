# What a cross-build for Windows takes from the build machine instead of the
# target's own packages: GoogleTest compiled from Debian's sources for the
# target, and the header-only JSON library.

set(TESSARO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources built for the target")
if(NOT EXISTS ${TESSARO_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${TESSARO_GTEST_SOURCE} (Debian package googletest)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${TESSARO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
foreach(lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()

# The JSON headers live in the build machine's /usr/include, which must not
# go on the cross-compiler's include path (glibc's headers would shadow the
# target's): a folder with only them stands in, behind a package file that
# find_package(nlohmann_json) reads.
set(tessaro_json_headers /usr/include/nlohmann)
if(EXISTS ${tessaro_json_headers}/json.hpp)
  set(dir ${CMAKE_BINARY_DIR}/host-json)
  file(MAKE_DIRECTORY ${dir}/include)
  file(CREATE_LINK ${tessaro_json_headers} ${dir}/include/nlohmann SYMBOLIC)
  file(WRITE ${dir}/nlohmann_jsonConfig.cmake
    "if(NOT TARGET nlohmann_json::nlohmann_json)\n"
    "  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)\n"
    "  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES\n"
    "    INTERFACE_INCLUDE_DIRECTORIES ${dir}/include)\n"
    "endif()\n")
  file(WRITE ${dir}/nlohmann_jsonConfigVersion.cmake
    "set(PACKAGE_VERSION 3)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
  set(nlohmann_json_DIR ${dir} CACHE PATH "" FORCE)
endif()
