# The ID3 tag reader and the intake of description-provider results.
shelfmark_add_fuzzer(id3 SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/id3_fuzz.cpp DEPS shelfmark_reading_tags)
shelfmark_add_fuzzer(plugin_results SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/plugin_results_fuzz.cpp
    DEPS shelfmark_reading_providers)
