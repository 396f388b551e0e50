# Helpers that give every target of the project the same warnings, sanitizers and layout.

set(SHELFMARK_WARNINGS -Wall -Wextra -Wpedantic)
if(SHELFMARK_WERROR)
    list(APPEND SHELFMARK_WARNINGS -Werror)
endif()

if(SHELFMARK_SANITIZE STREQUAL "thread")
    if(SHELFMARK_FUZZ)
        message(FATAL_ERROR "SHELFMARK_SANITIZE=thread does not go with SHELFMARK_FUZZ")
    endif()
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
    # Reports wholly inside the uninstrumented Qt libraries are left out (the file says why);
    # any other report fails its test.
    set(SHELFMARK_TEST_SANITIZER_ENV "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tools/tsan-qt.supp")
elseif(SHELFMARK_SANITIZE OR SHELFMARK_FUZZ)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(SHELFMARK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "SHELFMARK_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# shelfmark_add_library(NAME SOURCES ... [DEPS ...] [PUBLIC_DEPS ...])
# A static library whose headers are included as "subsystem/Header.h" from the source root.
function(shelfmark_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PUBLIC_DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${SHELFMARK_WARNINGS})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_DEPS})
endfunction()

# shelfmark_add_test(NAME SOURCES ... DEPS ...)
# A GoogleTest executable registered with CTest; the test support library knows the source and
# build folders (SourceDir(), BinaryDir()).
function(shelfmark_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    find_package(GTest REQUIRED)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE ${SHELFMARK_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} shelfmark_test_support GTest::gtest GTest::gmock GTest::gtest_main)
    include(GoogleTest)
    if(SHELFMARK_TEST_SANITIZER_ENV)
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${SHELFMARK_TEST_SANITIZER_ENV}")
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# shelfmark_add_fuzzer(NAME SOURCE file DEPS ... )
# With SHELFMARK_FUZZ a libFuzzer binary; always also a replay binary that runs the seed corpus
# fuzz/corpus/NAME under CTest, so CI checks every seed in seconds.
function(shelfmark_add_fuzzer name)
    cmake_parse_arguments(ARG "" "SOURCE" "DEPS" ${ARGN})
    set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    if(SHELFMARK_FUZZ)
        add_executable(${name}_fuzzer ${ARG_SOURCE})
        target_link_options(${name}_fuzzer PRIVATE -fsanitize=fuzzer)
        target_link_libraries(${name}_fuzzer PRIVATE ${ARG_DEPS})
    endif()
    add_executable(${name}_replay ${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
    target_compile_options(${name}_replay PRIVATE ${SHELFMARK_WARNINGS})
    target_link_libraries(${name}_replay PRIVATE ${ARG_DEPS})
    add_test(NAME fuzz_replay.${name} COMMAND ${name}_replay ${corpus})
endfunction()

# shelfmark_add_bench(NAME SOURCES ... DEPS ...)
function(shelfmark_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE ${SHELFMARK_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
endfunction()

# shelfmark_add_layer(NAME)
# An INTERFACE library NAME gathering the parts of a layer folder: each sub-folder with a
# CMakeLists.txt builds its own static library NAME_<folder>, so the parts build and test
# separately. The folder "ui" is left out: Qt windows build with the desktop program.
function(shelfmark_add_layer name)
    add_library(${name} INTERFACE)
    file(GLOB parts LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
    foreach(part_dir IN LISTS parts)
        if(IS_DIRECTORY ${part_dir} AND EXISTS ${part_dir}/CMakeLists.txt)
            get_filename_component(part ${part_dir} NAME)
            if(NOT part STREQUAL "ui")
                add_subdirectory(${part})
                target_link_libraries(${name} INTERFACE ${name}_${part})
            endif()
        endif()
    endforeach()
endfunction()

# shelfmark_add_qt_library(NAME SOURCES ... [DEPS ...] [PUBLIC_DEPS ...])
# A library of Qt code (the desktop program, a subsystem's ui/ folder, printing); only with
# SHELFMARK_GUI. moc, uic and rcc run on its sources.
function(shelfmark_add_qt_library name)
    shelfmark_add_library(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTOUIC ON AUTORCC ON)
endfunction()

# shelfmark_add_qt_test(NAME SOURCES ... DEPS ...)
# A Qt Test executable (one QObject test class with its own main) registered with CTest; it runs
# on the offscreen platform, so CI needs no display.
function(shelfmark_add_qt_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_compile_options(${name} PRIVATE ${SHELFMARK_WARNINGS})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} shelfmark_test_support Qt6::Test Qt6::Widgets)
    add_test(NAME ${name} COMMAND ${name})
    set(environment QT_QPA_PLATFORM=offscreen ${SHELFMARK_TEST_SANITIZER_ENV})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 900)
endfunction()
