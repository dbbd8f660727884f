# Build strictness in one place: every target links tq_common.
option(WITH_ASAN "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(TQ_FUZZ "Build the fuzz targets of tests/fuzz with clang's libFuzzer, ASan and UBSan" OFF)

add_library(tq_common INTERFACE)
target_compile_features(tq_common INTERFACE cxx_std_20)
target_compile_options(tq_common INTERFACE -Wall -Wextra -Wpedantic -Werror)
target_compile_definitions(tq_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS
    TQTOOL_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    TQTOOL_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    TQTOOL_VERSION_PATCH=${PROJECT_VERSION_PATCH})

if(WITH_ASAN)
    target_compile_options(tq_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(tq_common INTERFACE -fsanitize=address,undefined)
    # the standard library's own checks too: a disengaged optional or an index past the end stops
    target_compile_definitions(tq_common INTERFACE _GLIBCXX_ASSERTIONS)
endif()

if(TQ_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "TQ_FUZZ needs clang: configure with CC=clang CXX=clang++")
    endif()
    # coverage for the fuzzer in everything; the fuzz targets add libFuzzer's main
    target_compile_options(tq_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined
        -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(tq_common INTERFACE -fsanitize=address,undefined)
endif()

# tq_add_test(NAME SOURCE LABEL LIBS...): one executable per class under test.
function(tq_add_test name source label)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE tq_common tqtestsupport Qt6::Test ${ARGN})
    add_test(NAME ${name} COMMAND ${name})
    set(env "QT_QPA_PLATFORM=offscreen" "TQ_BUILD_DIR=${PROJECT_BINARY_DIR}"
        "TQ_SOURCE_DIR=${PROJECT_SOURCE_DIR}" "ASAN_OPTIONS=detect_leaks=0")
    set_tests_properties(${name} PROPERTIES LABELS ${label} ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()
