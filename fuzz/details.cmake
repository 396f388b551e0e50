# The version resource reader of Windows executables.
shelfmark_add_fuzzer(version_resource SOURCE ${CMAKE_CURRENT_LIST_DIR}/version_resource_fuzz.cpp
    DEPS shelfmark_reading_details)
