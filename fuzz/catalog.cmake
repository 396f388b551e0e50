# The catalog database reader (files from anywhere: opened, imported, converted).
shelfmark_add_fuzzer(catalog_reader SOURCE ${CMAKE_CURRENT_LIST_DIR}/catalog_reader_fuzz.cpp DEPS shelfmark_catalog)
# Catalog paths as people type them on the command line and in batch scripts.
shelfmark_add_fuzzer(catalog_path SOURCE ${CMAKE_CURRENT_LIST_DIR}/catalog_path_fuzz.cpp DEPS shelfmark_catalog)
# Category and extra-information definition blocks on a catalog's root.
shelfmark_add_fuzzer(definition_blocks SOURCE ${CMAKE_CURRENT_LIST_DIR}/definition_blocks_fuzz.cpp DEPS shelfmark_catalog)
# Remembered passwords read back from the settings file (edited by hand, or by anyone).
shelfmark_add_fuzzer(remembered_password SOURCE ${CMAKE_CURRENT_LIST_DIR}/remembered_password_fuzz.cpp DEPS shelfmark_catalog)
