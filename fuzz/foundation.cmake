shelfmark_add_fuzzer(profile_file SOURCE ${CMAKE_CURRENT_LIST_DIR}/profile_file_fuzz.cpp DEPS shelfmark_foundation)
