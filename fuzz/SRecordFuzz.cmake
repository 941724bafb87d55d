tessaro_fuzz_target(srecord SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/SRecordFuzz.cpp LIBS tessaro_download)
