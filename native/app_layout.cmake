# The main window's layout computed on the host for many sizes and resolutions,
# against the application's own form description, under ASan/UBSan.
file(GLOB LAYOUT_UNIT_DATA CONFIGURE_DEPENDS "${IMPRINTA_ROOT}/runtime/units/*_data.cpp")
set(LAYOUT_NATIVE_SOURCES "${IMPRINTA_ROOT}/app/window/window_layout.cpp" "${IMPRINTA_ROOT}/app/window/field_hit.cpp"
  "${IMPRINTA_ROOT}/runtime/pictures/picture_scale.cpp")
imprinta_check_no_windows_headers(${LAYOUT_NATIVE_SOURCES} "${IMPRINTA_ROOT}/app/window/window_layout.h"
  "${IMPRINTA_ROOT}/app/window/field_hit.h")
set(LAYOUT_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(app_layout_native_test ${LAYOUT_NATIVE_SOURCES} ${LAYOUT_UNIT_DATA}
  "${IMPRINTA_ROOT}/app/forms/description/main_window_form.cpp"
  "${IMPRINTA_ROOT}/app/forms/description/main_window_unit_data.cpp"
  "${IMPRINTA_ROOT}/app/forms/description/style_dialog_form.cpp"
  "${IMPRINTA_ROOT}/app/forms/description/field_dialog_form.cpp"
  "${IMPRINTA_ROOT}/app/forms/description/sheet_window_form.cpp"
  "${IMPRINTA_ROOT}/runtime/base/template_format.cpp"
  "${IMPRINTA_ROOT}/runtime/base/property_stream.cpp"
  "${IMPRINTA_ROOT}/runtime/base/byte_buffer.cpp"
  "${IMPRINTA_ROOT}/runtime/units/window_properties.cpp"
  "${IMPRINTA_ROOT}/runtime/base/conversion.cpp"
  "${IMPRINTA_ROOT}/tests/app_native/window_layout_test.cpp"
  "${IMPRINTA_ROOT}/tests/app_native/field_hit_test.cpp")
target_compile_options(app_layout_native_test PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${LAYOUT_SANITIZE})
target_link_options(app_layout_native_test PRIVATE ${LAYOUT_SANITIZE})
target_link_libraries(app_layout_native_test PRIVATE GTest::gtest_main)
add_test(NAME app_layout_native_test COMMAND app_layout_native_test --gtest_color=no)
