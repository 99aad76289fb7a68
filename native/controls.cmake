# Control units (edit box, button, group box, combo box, colour picker): their
# property data and the edit box's input rules, on the host.
set(CONTROLS_NATIVE_SOURCES
  "${IMPRINTA_ROOT}/runtime/units/edit_box_data.cpp"
  "${IMPRINTA_ROOT}/runtime/units/button_data.cpp"
  "${IMPRINTA_ROOT}/runtime/units/group_box_data.cpp"
  "${IMPRINTA_ROOT}/runtime/units/combo_box_data.cpp"
  "${IMPRINTA_ROOT}/runtime/units/colour_picker_data.cpp")
imprinta_check_no_windows_headers(${CONTROLS_NATIVE_SOURCES})
add_executable(controls_native_test ${CONTROLS_NATIVE_SOURCES}
  "${IMPRINTA_ROOT}/runtime/base/property_stream.cpp"
  "${IMPRINTA_ROOT}/runtime/base/byte_buffer.cpp"
  "${IMPRINTA_ROOT}/runtime/base/conversion.cpp"
  "${IMPRINTA_ROOT}/tests/controls/controls_data_test.cpp")
target_link_libraries(controls_native_test PRIVATE gtest gtest_main)
add_test(NAME controls_native_test COMMAND controls_native_test --gtest_color=no)
