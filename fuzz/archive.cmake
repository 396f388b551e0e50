# Archive header walkers: one target per format, and the self-extractor probe.
foreach(kind zip rar cab ace arj sfx)
    shelfmark_add_fuzzer(archive_${kind} SOURCE ${CMAKE_CURRENT_LIST_DIR}/archive_${kind}_fuzz.cpp
        DEPS shelfmark_reading_archive shelfmark_foundation)
endforeach()
