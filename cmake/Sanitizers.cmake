# TESSARO_SANITIZE=address builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer; TESSARO_SANITIZE=thread with ThreadSanitizer.
if(TESSARO_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TESSARO_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TESSARO_SANITIZE STREQUAL "")
  message(FATAL_ERROR "TESSARO_SANITIZE must be empty, 'address' or 'thread'")
endif()

# TESSARO_BUILD_FUZZ=ON gives every target of the project libFuzzer's coverage
# hooks, so the fuzzer sees the branches of the libraries it exercises and not
# only those of the small fuzz entry points.  (GoogleTest comes prebuilt.)
if(TESSARO_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "TESSARO_BUILD_FUZZ needs clang (CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=fuzzer-no-link)
endif()
