shelfmark_add_bench(casefold_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/casefold_bench.cpp DEPS shelfmark_foundation)
