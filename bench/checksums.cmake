# CRC-32 and MD5 of a large cached file next to zlib, python's zlib, openssl and md5sum.
find_package(ZLIB REQUIRED)
shelfmark_add_bench(checksums_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/checksums_bench.cpp
    DEPS shelfmark_reading_details ZLIB::ZLIB)
