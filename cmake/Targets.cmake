# Target helpers shared by every folder: warnings, libraries, tests, area folders.

# Warnings for every target of the project; -Werror in CI.
function(tessaro_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive- /utf-8)
    if(TESSARO_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(TESSARO_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
endfunction()

# Windows programs carry their C++ runtime (libstdc++, libgcc, winpthread)
# so that each .exe needs only Windows' own DLLs.
if(MINGW)
  add_link_options(-static)
endif()
if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()

# Sets `var` to the sources of one platform seam: those after WINDOWS on
# Windows, those after POSIX elsewhere (one file per platform, no #ifdef).
function(tessaro_platform_sources var)
  cmake_parse_arguments(P "" "" "POSIX;WINDOWS" ${ARGN})
  if(WIN32)
    set(${var} ${P_WINDOWS} PARENT_SCOPE)
  else()
    set(${var} ${P_POSIX} PARENT_SCOPE)
  endif()
endfunction()

# Gives a Windows program its version resource (compiled with windres or
# rc); nothing elsewhere.
function(tessaro_windows_version target description)
  if(NOT WIN32)
    return()
  endif()
  set(TESSARO_RC_NAME ${target})
  set(TESSARO_RC_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/windows/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()

# A library of one core folder: sources given, include root is the project root
# so that headers are included as "folder/File.h".
function(tessaro_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  tessaro_warnings(${name})
endfunction()

# A GoogleTest program registered with CTest under one area label
# (protocol, link, linktest, download, ui, sim, e2e, fuzz).
function(tessaro_test name label)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  tessaro_warnings(${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # A cross-built test lists its cases under the emulator when CTest runs,
  # not at build time, so that building needs no emulator.
  set(mode)
  if(CMAKE_CROSSCOMPILING)
    set(mode DISCOVERY_MODE PRE_TEST)
  endif()
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${label} TIMEOUT ${T_TIMEOUT}
    DISCOVERY_TIMEOUT 60 ${mode})
endfunction()

# Adds the area folders of tests/ or bench/ named before UI; those named after
# UI (the Qt folders) only when the window is built (TESSARO_BUILD_UI).  The
# folders that need the simulator ("sim", "e2e") only where it is built
# (POSIX).
function(tessaro_add_area_folders)
  cmake_parse_arguments(A "" "" "UI" ${ARGN})
  foreach(dir ${A_UNPARSED_ARGUMENTS})
    if((dir STREQUAL "sim" OR dir STREQUAL "e2e" OR dir STREQUAL "remote") AND NOT TARGET tessaro_sim)
      continue()
    endif()
    add_subdirectory(${dir})
  endforeach()
  if(TESSARO_BUILD_UI)
    foreach(dir ${A_UI})
      add_subdirectory(${dir})
    endforeach()
  endif()
endfunction()
