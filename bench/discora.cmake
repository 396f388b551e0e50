# A CDDB lookup (connect, query, read, disconnect) against the local test server, Discora next to
# libcddb on both transports.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
    pkg_check_modules(BENCH_LIBCDDB QUIET IMPORTED_TARGET libcddb)
endif()
if(BENCH_LIBCDDB_FOUND)
    shelfmark_add_bench(discora_lookup_bench
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/discora_lookup_bench.cpp
                ${PROJECT_SOURCE_DIR}/tests/discora/CddbServers.cpp
        DEPS discora shelfmark_test_support PkgConfig::BENCH_LIBCDDB)
    target_compile_definitions(discora_lookup_bench PRIVATE
        SHELFMARK_SOURCE_PATH="${PROJECT_SOURCE_DIR}")
endif()
