# Searches and duplicate search over generated catalogs of 1,000,000 (and, given as an argument,
# 10,000,000) items, next to grep -c -F -i and plocate -c over the same names in the same run.
shelfmark_add_bench(search_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/search_bench.cpp
    DEPS shelfmark_search shelfmark_catalog shelfmark_foundation)
