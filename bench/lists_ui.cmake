# The item list window's model over 1,000,000 rows: showing, the first screen of cells, sorting
# by name and by size, next to GNU sort on the same names in the same run.
if(TARGET shelfmark_lists_ui)
    shelfmark_add_bench(lists_ui_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/lists_ui_bench.cpp DEPS shelfmark_lists_ui)
    set_target_properties(lists_ui_bench PROPERTIES AUTOMOC ON)
endif()
