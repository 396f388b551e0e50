# Item-list profiles (ItemList.tkp sections, old column forms, filename formats).
shelfmark_add_fuzzer(item_list_profile SOURCE ${CMAKE_CURRENT_LIST_DIR}/item_list_profile_fuzz.cpp DEPS shelfmark_lists)
