# The catalog database reader (files from anywhere: opened, imported, converted).
shelfmark_add_fuzzer(catalog_reader SOURCE ${CMAKE_CURRENT_LIST_DIR}/catalog_reader_fuzz.cpp DEPS shelfmark_catalog)
