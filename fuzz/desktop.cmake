# Desktop entry and mimeapps.list files: any package or user can install one.
shelfmark_add_fuzzer(desktop_entry SOURCE ${CMAKE_CURRENT_LIST_DIR}/desktop_entry_fuzz.cpp DEPS shelfmark_platform_desktop)
