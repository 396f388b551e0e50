# A catalog of 1,000,000 items built, saved and loaded; the load next to `cat FILE > /dev/null`.
shelfmark_add_bench(catalog_file_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/catalog_file_bench.cpp
    DEPS shelfmark_catalog)
