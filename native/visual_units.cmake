# Picture box, drawing panel and label property data and the label's gradient
# arithmetic, on the host under ASan/UBSan.
set(VISUAL_NATIVE_SOURCES
  "${IMPRINTA_ROOT}/runtime/units/label_gradient.cpp"
  "${IMPRINTA_ROOT}/runtime/units/label_data.cpp"
  "${IMPRINTA_ROOT}/runtime/units/trans_label_data.cpp"
  "${IMPRINTA_ROOT}/runtime/units/picture_box_data.cpp"
  "${IMPRINTA_ROOT}/runtime/units/draw_panel_data.cpp")
imprinta_check_no_windows_headers(${VISUAL_NATIVE_SOURCES}
  "${IMPRINTA_ROOT}/runtime/units/label_gradient.h" "${IMPRINTA_ROOT}/runtime/units/label_data.h"
  "${IMPRINTA_ROOT}/runtime/units/trans_label_data.h" "${IMPRINTA_ROOT}/runtime/units/picture_box_data.h"
  "${IMPRINTA_ROOT}/runtime/units/draw_panel_data.h")
set(VISUAL_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(visual_units_native_test ${VISUAL_NATIVE_SOURCES}
  "${IMPRINTA_ROOT}/runtime/base/property_stream.cpp"
  "${IMPRINTA_ROOT}/runtime/base/byte_buffer.cpp"
  "${IMPRINTA_ROOT}/tests/visual_units/visual_data_test.cpp")
target_compile_options(visual_units_native_test PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${VISUAL_SANITIZE})
target_link_options(visual_units_native_test PRIVATE ${VISUAL_SANITIZE})
target_link_libraries(visual_units_native_test PRIVATE gtest gtest_main)
add_test(NAME visual_units_native_test COMMAND visual_units_native_test --gtest_color=no)
