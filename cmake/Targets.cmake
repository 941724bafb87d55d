# Target helpers shared by every folder: warnings, libraries, tests, area folders.

# Warnings for every target of the project; -Werror in CI.
function(tessaro_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(TESSARO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
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
  gtest_discover_tests(${name}
    PROPERTIES LABELS ${label} TIMEOUT ${T_TIMEOUT}
    DISCOVERY_TIMEOUT 60)
endfunction()

# Adds the area folders of tests/ or bench/ named before UI; those named after
# UI (the Qt folders) only when the window is built (TESSARO_BUILD_UI).
function(tessaro_add_area_folders)
  cmake_parse_arguments(A "" "" "UI" ${ARGN})
  foreach(dir ${A_UNPARSED_ARGUMENTS})
    add_subdirectory(${dir})
  endforeach()
  if(TESSARO_BUILD_UI)
    foreach(dir ${A_UI})
      add_subdirectory(${dir})
    endforeach()
  endif()
endfunction()
