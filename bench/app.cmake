# The desktop program's responsiveness: a 1,000,000-item catalog opened until the tree shows,
# a folder of 100,000 files selected until the list shows; next to `cat` and `ls` on the same
# sizes. Runs on the offscreen platform when no display is set.
if(SHELFMARK_GUI)
    add_executable(app_window_bench ${CMAKE_CURRENT_LIST_DIR}/app_window_bench.cpp)
    target_compile_options(app_window_bench PRIVATE ${SHELFMARK_WARNINGS})
    target_link_libraries(app_window_bench PRIVATE shelfmark_app)
endif()
