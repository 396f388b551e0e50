# The ZIP walker on a 100,000-entry archive next to unzip, 7z and bsdtar.
shelfmark_add_bench(archive_zip_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/archive_zip_bench.cpp
    DEPS shelfmark_reading_archive shelfmark_reading_details shelfmark_catalog shelfmark_foundation)
