# The application's plain pieces (settings text, text limits, command-line
# arguments), with their unit tests under ASan/UBSan.
# The poster room is plain C++ throughout: every file of it is checked, and
# the description, its stored form and the placeholders are tested here.
file(GLOB POSTER_ROOM CONFIGURE_DEPENDS "${IMPRINTA_ROOT}/app/poster/*.cpp" "${IMPRINTA_ROOT}/app/poster/*.h")
set(APP_PLAIN_SOURCES "${IMPRINTA_ROOT}/app/poster/settings_text.cpp" "${IMPRINTA_ROOT}/app/poster/poster.cpp"
  "${IMPRINTA_ROOT}/app/poster/poster_settings.cpp" "${IMPRINTA_ROOT}/app/poster/placeholders.cpp"
  "${IMPRINTA_ROOT}/app/poster/text_style.cpp" "${IMPRINTA_ROOT}/app/poster/field_settings.cpp"
  "${IMPRINTA_ROOT}/app/render/field_pixels.cpp" "${IMPRINTA_ROOT}/runtime/pictures/picture_scale.cpp")
# The messages' layout is plain too, though the platform room owns it.
imprinta_check_no_windows_headers(${POSTER_ROOM} "${IMPRINTA_ROOT}/app/platform/message_text.h"
  "${IMPRINTA_ROOT}/app/render/field_pixels.h" "${IMPRINTA_ROOT}/app/render/field_pixels.cpp")
set(APP_PLAIN_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(app_plain_native_test ${APP_PLAIN_SOURCES} "${IMPRINTA_ROOT}/tests/app/settings_text_test.cpp"
  "${IMPRINTA_ROOT}/tests/app/poster_test.cpp" "${IMPRINTA_ROOT}/tests/app/fields_test.cpp")
target_compile_options(app_plain_native_test PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${APP_PLAIN_SANITIZE})
target_link_options(app_plain_native_test PRIVATE ${APP_PLAIN_SANITIZE})
target_link_libraries(app_plain_native_test PRIVATE GTest::gtest_main)
add_test(NAME app_plain_native_test COMMAND app_plain_native_test --gtest_color=no)

# The layer and room check, shown each kind of fault it must catch.
add_test(NAME layer_check_test COMMAND bash "${IMPRINTA_ROOT}/tests/layers_test.sh" "${IMPRINTA_ROOT}")
