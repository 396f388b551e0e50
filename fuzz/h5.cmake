# Volume facts read from the kernel's mount table and from the first bytes of devices.
shelfmark_add_fuzzer(mountinfo SOURCE ${CMAKE_CURRENT_LIST_DIR}/mountinfo.cpp DEPS shelfmark_platform_volumes)
shelfmark_add_fuzzer(volume_head SOURCE ${CMAKE_CURRENT_LIST_DIR}/volume_head.cpp DEPS shelfmark_platform_volumes)
