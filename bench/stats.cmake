# The stats command's counting over a generated catalog of 10,000,000 items, next to awk summing
# the same files by extension and year from a text list, in the same run.
shelfmark_add_bench(stats_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/stats_bench.cpp
    DEPS shelfmark_catalog shelfmark_foundation)
