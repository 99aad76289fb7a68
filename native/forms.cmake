# Form templates and unit property data on the host: reader/writer and stream
# tests under ASan/UBSan, and the generator that turns a form description into
# the application's template bytes.
set(FORMS_NATIVE_SOURCES
  "${IMPRINTA_ROOT}/runtime/base/template_format.cpp"
  "${IMPRINTA_ROOT}/runtime/base/property_stream.cpp"
  "${IMPRINTA_ROOT}/runtime/base/byte_buffer.cpp")
imprinta_check_no_windows_headers(${FORMS_NATIVE_SOURCES}
  "${IMPRINTA_ROOT}/runtime/base/template_format.h"
  "${IMPRINTA_ROOT}/runtime/base/property_stream.h"
  "${IMPRINTA_ROOT}/runtime/base/byte_buffer.h"
  "${IMPRINTA_ROOT}/runtime/base/byte_reader.h")
set(FORMS_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(forms_native_test ${FORMS_NATIVE_SOURCES}
  "${IMPRINTA_ROOT}/tests/forms/template_format_test.cpp"
  "${IMPRINTA_ROOT}/tests/forms/property_stream_test.cpp"
  "${IMPRINTA_ROOT}/tests/forms/byte_reader_test.cpp")
target_compile_options(forms_native_test PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${FORMS_SANITIZE})
target_link_options(forms_native_test PRIVATE ${FORMS_SANITIZE})
target_link_libraries(forms_native_test PRIVATE GTest::gtest_main)
add_test(NAME forms_native_test COMMAND forms_native_test --gtest_color=no)
