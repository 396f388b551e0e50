# Rename, move, delete and undo of one item in catalogs of 10,000 and 1,000,000 items, and a
# batch of 10,000 renames through shelfmark-cli next to a plain load and save of the same file.
shelfmark_add_bench(edit_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/edit_bench.cpp
    DEPS shelfmark_catalog shelfmark_foundation)
target_compile_definitions(edit_bench PRIVATE SHELFMARK_CLI_PATH="$<TARGET_FILE:shelfmark-cli>")
add_dependencies(edit_bench shelfmark-cli)
