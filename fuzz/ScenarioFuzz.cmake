tessaro_fuzz_target(scenario SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ScenarioFuzz.cpp LIBS tessaro_sim)
