# A catalog of 1,000,000 items built, saved and loaded; the load next to `cat FILE > /dev/null`.
shelfmark_add_bench(catalog_file_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/catalog_file_bench.cpp
    DEPS shelfmark_catalog)
# Opening 1,000,000 items with 500,000 protected and their names encrypted, next to the same
# catalog unprotected.
shelfmark_add_bench(protected_open_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/protected_open_bench.cpp
    DEPS shelfmark_catalog)
