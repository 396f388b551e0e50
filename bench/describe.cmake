# Describing 10,000 MP3 files and thumbnailing 1,000 pictures next to a plain `find` walk of the
# same folders.
shelfmark_add_bench(describe_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/describe_bench.cpp
    DEPS shelfmark_reading_providers)
target_compile_definitions(describe_bench PRIVATE SHELFMARK_PLUGIN_BUILD_DIR="${PROJECT_BINARY_DIR}/plugins")
if(TARGET hvsm_images)
    add_dependencies(describe_bench hvsm_images)
endif()
