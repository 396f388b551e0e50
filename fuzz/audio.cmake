# CD-Text answers of a drive (READ TOC/PMA/ATIP format 5).
shelfmark_add_fuzzer(cdtext SOURCE ${CMAKE_CURRENT_LIST_DIR}/cdtext_fuzz.cpp DEPS shelfmark_reading_audio)
# Simulated CD drive descriptions (INI files).
shelfmark_add_fuzzer(cdrom_sim SOURCE ${CMAKE_CURRENT_LIST_DIR}/cdrom_sim_fuzz.cpp DEPS shelfmark_platform_cdrom)
