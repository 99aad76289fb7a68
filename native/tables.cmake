# The poster-table reader with its unit tests under ASan/UBSan.
set(TABLE_NATIVE_SOURCES "${IMPRINTA_ROOT}/app/poster/table_reader.cpp")
imprinta_check_no_windows_headers(${TABLE_NATIVE_SOURCES} "${IMPRINTA_ROOT}/app/poster/table_reader.h")
set(TABLE_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(table_native_test ${TABLE_NATIVE_SOURCES} "${IMPRINTA_ROOT}/tests/app/table_reader_test.cpp")
# Chinese literals become GBK bytes, as in the Windows build.
target_compile_options(table_native_test PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${TABLE_SANITIZE})
target_link_options(table_native_test PRIVATE ${TABLE_SANITIZE})
target_link_libraries(table_native_test PRIVATE GTest::gtest_main)
add_test(NAME table_native_test COMMAND table_native_test --gtest_color=no)
