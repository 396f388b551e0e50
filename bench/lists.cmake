# Building an item list of 1,000,000 rows and exporting it to CSV, next to one buffered write of
# the same bytes (the I/O floor) in the same run.
shelfmark_add_bench(lists_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_bench.cpp DEPS shelfmark_lists)
