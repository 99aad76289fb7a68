# The application's plain pieces (settings text, text limits, command-line
# arguments), with their unit tests under ASan/UBSan.
set(APP_PLAIN_SOURCES "${IMPRINTA_ROOT}/app/settings_text.cpp")
imprinta_check_no_windows_headers(${APP_PLAIN_SOURCES} "${IMPRINTA_ROOT}/app/settings_text.h"
  "${IMPRINTA_ROOT}/app/text_limits.h")
set(APP_PLAIN_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_executable(app_plain_native_test ${APP_PLAIN_SOURCES} "${IMPRINTA_ROOT}/tests/app/settings_text_test.cpp")
target_compile_options(app_plain_native_test PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK ${APP_PLAIN_SANITIZE})
target_link_options(app_plain_native_test PRIVATE ${APP_PLAIN_SANITIZE})
target_link_libraries(app_plain_native_test PRIVATE GTest::gtest_main)
add_test(NAME app_plain_native_test COMMAND app_plain_native_test --gtest_color=no)
