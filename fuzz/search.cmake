# Search texts and patterns as people type them, and the saved result columns from the settings.
shelfmark_add_fuzzer(search_input SOURCE ${CMAKE_CURRENT_LIST_DIR}/search_input_fuzz.cpp DEPS shelfmark_search)
