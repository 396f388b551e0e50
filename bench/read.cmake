# Reading a generated tree of 200,000 files in 20,000 directories, next to find over the same tree.
shelfmark_add_bench(read_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/read_bench.cpp
    DEPS shelfmark_reading_engine shelfmark_catalog shelfmark_foundation)
target_compile_definitions(read_bench PRIVATE SHELFMARK_CLI_PATH="$<TARGET_FILE:shelfmark-cli>")
add_dependencies(read_bench shelfmark-cli)
