# CLI11, the header-only command-line parser (Debian's libcli11-dev), as the
# target CLI11::CLI11.  A cross-build must not put the build machine's
# /usr/include on the compiler's path (glibc's headers would shadow the
# target's): a folder with only CLI11's headers stands in there.
if(TARGET CLI11::CLI11)
  return()
endif()
if(CMAKE_CROSSCOMPILING)
  set(tessaro_cli11_headers /usr/include/CLI)
  if(NOT EXISTS ${tessaro_cli11_headers}/CLI.hpp)
    message(FATAL_ERROR "No CLI11 headers in ${tessaro_cli11_headers} (Debian package libcli11-dev)")
  endif()
  set(dir ${CMAKE_BINARY_DIR}/host-cli11/include)
  file(MAKE_DIRECTORY ${dir})
  file(CREATE_LINK ${tessaro_cli11_headers} ${dir}/CLI SYMBOLIC)
  add_library(CLI11::CLI11 INTERFACE IMPORTED GLOBAL)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${dir})
else()
  find_package(CLI11 CONFIG REQUIRED)
endif()
