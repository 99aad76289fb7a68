# Styled text's plain parts (line breaking, vertical setting, fitting, outline and shadow masks)
# with their unit tests under ASan/UBSan.
set(TEXT_NATIVE_SOURCES
  "${IMPRINTA_ROOT}/app/poster/text_style.cpp"
  "${IMPRINTA_ROOT}/app/poster/text_layout.cpp"
  "${IMPRINTA_ROOT}/app/poster/vertical_layout.cpp"
  "${IMPRINTA_ROOT}/app/render/text_effects.cpp"
  "${IMPRINTA_ROOT}/app/render/text_layers.cpp")
imprinta_check_no_windows_headers(${TEXT_NATIVE_SOURCES} "${IMPRINTA_ROOT}/app/poster/text_style.h"
  "${IMPRINTA_ROOT}/app/poster/text_layout.h" "${IMPRINTA_ROOT}/app/render/text_effects.h" "${IMPRINTA_ROOT}/app/render/text_layers.h")
set(TEXT_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(text_native_test ${TEXT_NATIVE_SOURCES} "${IMPRINTA_ROOT}/tests/renderer/text_layout_test.cpp"
  "${IMPRINTA_ROOT}/tests/renderer/text_layers_test.cpp"
  "${IMPRINTA_ROOT}/tests/renderer/vertical_layout_test.cpp")
target_compile_options(text_native_test PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${TEXT_SANITIZE})
target_link_options(text_native_test PRIVATE ${TEXT_SANITIZE})
target_link_libraries(text_native_test PRIVATE GTest::gtest_main)
add_test(NAME text_native_test COMMAND text_native_test --gtest_color=no)
