# The Discora library's parsers of server answers: xmcd disc records, and the query, category
# and site-list answers with single site lines.
shelfmark_add_fuzzer(discora_record SOURCE ${CMAKE_CURRENT_LIST_DIR}/discora_record_fuzz.cpp DEPS discora)
shelfmark_add_fuzzer(discora_response SOURCE ${CMAKE_CURRENT_LIST_DIR}/discora_response_fuzz.cpp DEPS discora)
