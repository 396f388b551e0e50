# Catalogs of other programs, read by import-other.
shelfmark_add_fuzzer(json_reader SOURCE ${CMAKE_CURRENT_LIST_DIR}/json_reader_fuzz.cpp DEPS shelfmark_exchange)
shelfmark_add_fuzzer(toml_reader SOURCE ${CMAKE_CURRENT_LIST_DIR}/toml_reader_fuzz.cpp DEPS shelfmark_exchange)
shelfmark_add_fuzzer(ncdu_import SOURCE ${CMAKE_CURRENT_LIST_DIR}/ncdu_import_fuzz.cpp DEPS shelfmark_exchange)
shelfmark_add_fuzzer(catcli_import SOURCE ${CMAKE_CURRENT_LIST_DIR}/catcli_import_fuzz.cpp DEPS shelfmark_exchange)
shelfmark_add_fuzzer(hcf_import SOURCE ${CMAKE_CURRENT_LIST_DIR}/hcf_import_fuzz.cpp DEPS shelfmark_exchange)
shelfmark_add_fuzzer(vvv_import SOURCE ${CMAKE_CURRENT_LIST_DIR}/vvv_import_fuzz.cpp DEPS shelfmark_exchange)
shelfmark_add_fuzzer(katalog_import SOURCE ${CMAKE_CURRENT_LIST_DIR}/katalog_import_fuzz.cpp DEPS shelfmark_exchange)
