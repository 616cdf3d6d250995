include(GoogleTest)

# Adds every subfolder of DIR that has a CMakeLists.txt (tests/<layer>, bench/<layer>, ...).
function(koralith_add_subfolders dir)
    file(GLOB children LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/${dir}/*)
    list(SORT children)
    foreach(child IN LISTS children)
        if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
            get_filename_component(name ${child} NAME)
            if(KORALITH_TSAN AND name IN_LIST KORALITH_GUI_LAYERS)
                continue()
            endif()
            add_subdirectory(${child} ${CMAKE_BINARY_DIR}/${dir}/${name})
        endif()
    endforeach()
endfunction()

# koralith_add_gtest(NAME SOURCES ... LIBS ... [LABELS label] [TSAN])
# A GoogleTest program whose cases ctest lists one by one. TSAN marks a test of threaded code:
# only such tests are built in the ThreadSanitizer tree.
function(koralith_add_gtest name)
    cmake_parse_arguments(T "TSAN" "" "SOURCES;LIBS;LABELS" ${ARGN})
    if(KORALITH_TSAN AND NOT T_TSAN)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main Threads::Threads)
    # One label per test: a list does not survive gtest_discover_tests (its separator is lost
    # on the way, and the time-out after it with it).
    set(label unit)
    if(T_LABELS)
        set(label ${T_LABELS})
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES LABELS ${label} TIMEOUT 120)
endfunction()

# koralith_add_fuzzer(NAME SOURCES ... LIBS ... [SECONDS n] [CORPUS dir])
# A libFuzzer target, and a ctest run of it for SECONDS (default 30) labelled "fuzz". The seed
# corpus in the source tree is read only; what the run finds goes to the build tree.
function(koralith_add_fuzzer name)
    cmake_parse_arguments(F "" "SECONDS;CORPUS" "SOURCES;LIBS" ${ARGN})
    if(NOT KORALITH_FUZZ)
        return()
    endif()
    if(NOT F_SECONDS)
        set(F_SECONDS 30)
    endif()
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}.corpus)
    file(MAKE_DIRECTORY ${work})
    set(dirs ${work})
    if(F_CORPUS)
        list(APPEND dirs ${F_CORPUS})
    endif()
    math(EXPR limit "${F_SECONDS} + 120")
    add_test(NAME ${name}
        COMMAND ${name} -max_total_time=${F_SECONDS} -print_final_stats=1 -rss_limit_mb=2048
                -timeout=10 ${dirs})
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT ${limit})
endfunction()

# koralith_add_benchmark(NAME SOURCES ... LIBS ...)
function(koralith_add_benchmark name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${name} ${B_SOURCES})
    target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark)
endfunction()
