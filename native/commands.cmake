# Conversions and byte-level command logic, with their unit tests under ASan/UBSan.
set(COMMANDS_NATIVE_SOURCES
  "${IMPRINTA_ROOT}/runtime/base/conversion.cpp"
  "${IMPRINTA_ROOT}/runtime/base/byte_ops.cpp")
imprinta_check_no_windows_headers(${COMMANDS_NATIVE_SOURCES}
  "${IMPRINTA_ROOT}/runtime/base/conversion.h" "${IMPRINTA_ROOT}/runtime/base/byte_ops.h")
set(COMMANDS_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(commands_native_test
  ${COMMANDS_NATIVE_SOURCES}
  "${IMPRINTA_ROOT}/tests/commands/conversion_test.cpp"
  "${IMPRINTA_ROOT}/tests/commands/byte_ops_test.cpp")
# Chinese literals become GBK bytes, as in the Windows build.
target_compile_options(commands_native_test PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${COMMANDS_SANITIZE})
target_link_options(commands_native_test PRIVATE ${COMMANDS_SANITIZE})
target_link_libraries(commands_native_test PRIVATE GTest::gtest_main)
add_test(NAME commands_native_test COMMAND commands_native_test --gtest_color=no)
