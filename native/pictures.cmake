# Picture decoders on the host: the decoder library under ASan/UBSan, its
# corpus tests, and the replay runner that feeds every corpus file and saved
# fuzz finding through the fuzz targets' entry points.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)

set(PICTURE_SOURCES
  ${IMPRINTA_ROOT}/runtime/pictures/picture_decode.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/icon_directory.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/picture_bmp.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/picture_gif.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/picture_pcx.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/picture_png.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/picture_jpeg.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/picture_canvas.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/picture_cache.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/picture_scale.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/png_encode.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/png_bands.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/deflate_join.cpp
  ${IMPRINTA_ROOT}/runtime/pictures/jpeg_encode.cpp)
imprinta_check_no_windows_headers(${PICTURE_SOURCES}
  ${IMPRINTA_ROOT}/runtime/pictures/picture_decode.h
  ${IMPRINTA_ROOT}/runtime/pictures/picture_decode_internal.h
  ${IMPRINTA_ROOT}/runtime/pictures/icon_directory.h
  ${IMPRINTA_ROOT}/runtime/pictures/decode_error.h
  ${IMPRINTA_ROOT}/native/fuzz/fuzz_targets.cpp)

set(PICTURE_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_library(imprinta_pictures_native STATIC ${PICTURE_SOURCES})
target_compile_options(imprinta_pictures_native PUBLIC ${PICTURE_SANITIZE})
target_link_options(imprinta_pictures_native PUBLIC ${PICTURE_SANITIZE})
target_link_libraries(imprinta_pictures_native PUBLIC PNG::PNG JPEG::JPEG deflate z)

# Entry points shared by the libFuzzer targets and the replay runner: the
# picture decoders, the form-template reader and the unit property streams.
file(GLOB FUZZ_UNIT_DATA CONFIGURE_DEPENDS "${IMPRINTA_ROOT}/runtime/units/*_data.cpp")
set(FUZZ_FORMS_SOURCES ${FUZZ_UNIT_DATA}
  ${IMPRINTA_ROOT}/runtime/base/template_format.cpp
  ${IMPRINTA_ROOT}/runtime/base/property_stream.cpp
  ${IMPRINTA_ROOT}/runtime/base/byte_buffer.cpp
  ${IMPRINTA_ROOT}/runtime/units/window_properties.cpp
  ${IMPRINTA_ROOT}/runtime/base/conversion.cpp)
imprinta_check_no_windows_headers(${FUZZ_FORMS_SOURCES} ${IMPRINTA_ROOT}/native/fuzz/fuzz_forms_targets.cpp)
add_library(imprinta_fuzz_entries STATIC ${IMPRINTA_ROOT}/native/fuzz/fuzz_targets.cpp
  ${IMPRINTA_ROOT}/native/fuzz/fuzz_forms_targets.cpp ${FUZZ_FORMS_SOURCES} ${IMPRINTA_ROOT}/app/poster/table_reader.cpp)
target_link_libraries(imprinta_fuzz_entries PUBLIC imprinta_pictures_native)

# The native tree lives in <build>/native; the corpora in <build>/corpora.
get_filename_component(PICTURE_BUILD_ROOT "${CMAKE_BINARY_DIR}/.." ABSOLUTE)
set(PICTURE_CORPORA "${PICTURE_BUILD_ROOT}/corpora")
add_test(NAME picture_corpora_native COMMAND bash "${IMPRINTA_ROOT}/scripts/fetch-corpora.sh")
set_tests_properties(picture_corpora_native PROPERTIES FIXTURES_SETUP picture_corpora_native TIMEOUT 600
  ENVIRONMENT "IMPRINTA_BUILD=${PICTURE_BUILD_ROOT};IMPRINTA_DEPS_SRC=${IMPRINTA_DEPS_SRC}")
set(PICTURE_TEST_ENV
  "IMPRINTA_CORPORA=${PICTURE_CORPORA}"
  "IMPRINTA_SOURCE=${IMPRINTA_ROOT}"
  "ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

add_executable(picture_native_tests
  ${IMPRINTA_ROOT}/tests/pictures/corpus_support.cpp
  ${IMPRINTA_ROOT}/tests/pictures/decode_basics_test.cpp
  ${IMPRINTA_ROOT}/tests/pictures/corpus_test.cpp
  ${IMPRINTA_ROOT}/tests/pictures/truncation_test.cpp
  ${IMPRINTA_ROOT}/tests/pictures/canvas_encode_test.cpp
  ${IMPRINTA_ROOT}/tests/pictures/png_bands_test.cpp)
target_include_directories(picture_native_tests PRIVATE ${IMPRINTA_ROOT}/tests)
target_compile_definitions(picture_native_tests PRIVATE PICTURE_TESTS_WITH_FUZZ_ENTRIES)
target_link_libraries(picture_native_tests PRIVATE imprinta_fuzz_entries GTest::gtest GTest::gtest_main)
add_test(NAME picture_native_tests COMMAND picture_native_tests --gtest_color=no)
set_tests_properties(picture_native_tests PROPERTIES TIMEOUT 900 ENVIRONMENT "${PICTURE_TEST_ENV}"
  FIXTURES_REQUIRED picture_corpora_native)

add_executable(fuzz_replay ${IMPRINTA_ROOT}/native/fuzz/replay_main.cpp)
target_link_libraries(fuzz_replay PRIVATE imprinta_fuzz_entries)
add_test(NAME fuzz_replay COMMAND fuzz_replay
  ${IMPRINTA_ROOT}/native/fuzz ${IMPRINTA_ROOT}/tests/pictures/regressions ${PICTURE_CORPORA})
set_tests_properties(fuzz_replay PROPERTIES TIMEOUT 900 ENVIRONMENT "${PICTURE_TEST_ENV}"
  FIXTURES_REQUIRED picture_corpora_native)

# Seeds for the form fuzz targets, made from the application's own forms.
file(GLOB FUZZ_FORM_DESCRIPTION CONFIGURE_DEPENDS "${IMPRINTA_ROOT}/app/forms/description/main_window*.cpp" "${IMPRINTA_ROOT}/app/forms/description/style_dialog*.cpp" "${IMPRINTA_ROOT}/app/forms/description/field_dialog*.cpp" "${IMPRINTA_ROOT}/app/forms/description/sheet_window*.cpp")
if(FUZZ_FORM_DESCRIPTION)
  add_executable(fuzz_form_seeds ${IMPRINTA_ROOT}/native/fuzz/form_seeds_main.cpp ${FUZZ_FORM_DESCRIPTION})
  target_compile_options(fuzz_form_seeds PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK)
  target_link_libraries(fuzz_form_seeds PRIVATE imprinta_fuzz_entries)
endif()
