# The search window over a generated catalog of 10,000,000 items: time from Start to the first
# row shown and to the end, and the longest stall of the event loop, next to grep over the same
# names in the same run.
if(SHELFMARK_GUI)
    add_executable(search_window_bench ${CMAKE_CURRENT_LIST_DIR}/search_window_bench.cpp)
    set_target_properties(search_window_bench PROPERTIES AUTOMOC ON)
    target_compile_options(search_window_bench PRIVATE ${SHELFMARK_WARNINGS})
    target_link_libraries(search_window_bench PRIVATE shelfmark_search_ui)
endif()
