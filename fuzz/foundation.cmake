shelfmark_add_fuzzer(profile_file SOURCE ${CMAKE_CURRENT_LIST_DIR}/profile_file_fuzz.cpp DEPS shelfmark_foundation)
# Lines of batch scripts (shelfmark-cli batch).
shelfmark_add_fuzzer(shell_words SOURCE ${CMAKE_CURRENT_LIST_DIR}/shell_words_fuzz.cpp DEPS shelfmark_foundation)
