# The catalog database reader (files from anywhere: opened, imported, converted).
shelfmark_add_fuzzer(catalog_reader SOURCE ${CMAKE_CURRENT_LIST_DIR}/catalog_reader_fuzz.cpp DEPS shelfmark_catalog)
# Catalog paths as people type them on the command line and in batch scripts.
shelfmark_add_fuzzer(catalog_path SOURCE ${CMAKE_CURRENT_LIST_DIR}/catalog_path_fuzz.cpp DEPS shelfmark_catalog)
