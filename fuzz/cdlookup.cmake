# The CD lookup's outside input: cdplayer.ini as the import reads it, and the update check's
# version record.
shelfmark_add_fuzzer(cdplayer_ini SOURCE ${CMAKE_CURRENT_LIST_DIR}/cdplayer_ini_fuzz.cpp DEPS shelfmark_cdlookup)
shelfmark_add_fuzzer(version_record SOURCE ${CMAKE_CURRENT_LIST_DIR}/version_record_fuzz.cpp DEPS shelfmark_platform_update)
