tessaro_fuzz_target(dispatch SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/DispatchFuzz.cpp LIBS tessaro_app)
