# Window unit: shape geometry and the property data serializer, on the host.
set(WINDOW_NATIVE_SOURCES
  "${IMPRINTA_ROOT}/runtime/units/window_shapes.cpp"
  "${IMPRINTA_ROOT}/runtime/units/window_properties.cpp")
set(WINDOW_NATIVE_DEPS
  "${IMPRINTA_ROOT}/runtime/base/property_stream.cpp"
  "${IMPRINTA_ROOT}/runtime/base/byte_buffer.cpp")
imprinta_check_no_windows_headers(${WINDOW_NATIVE_SOURCES} "${IMPRINTA_ROOT}/runtime/units/window_shapes.h"
  "${IMPRINTA_ROOT}/runtime/units/window_properties.h" "${IMPRINTA_ROOT}/runtime/units/window_numbers.h"
  "${IMPRINTA_ROOT}/runtime/forms/window_events.h")
add_executable(window_native_test ${WINDOW_NATIVE_SOURCES} ${WINDOW_NATIVE_DEPS}
  "${IMPRINTA_ROOT}/tests/window/window_shapes_test.cpp"
  "${IMPRINTA_ROOT}/tests/window/window_properties_test.cpp")
target_link_libraries(window_native_test PRIVATE gtest gtest_main)
add_test(NAME window_native_test COMMAND window_native_test --gtest_color=no)
