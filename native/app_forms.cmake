# The form generator: turns the application's form description into the stored
# template bytes that the Windows build links into the program.
file(GLOB FORMGEN_UNIT_DATA CONFIGURE_DEPENDS "${IMPRINTA_ROOT}/runtime/units/*_data.cpp")
file(GLOB FORMGEN_DESCRIPTION CONFIGURE_DEPENDS "${IMPRINTA_ROOT}/app/forms/description/*.cpp")
add_executable(formgen ${FORMGEN_DESCRIPTION} ${FORMGEN_UNIT_DATA}
  "${IMPRINTA_ROOT}/runtime/base/template_format.cpp"
  "${IMPRINTA_ROOT}/runtime/base/property_stream.cpp"
  "${IMPRINTA_ROOT}/runtime/base/byte_buffer.cpp"
  "${IMPRINTA_ROOT}/runtime/units/window_properties.cpp"
  "${IMPRINTA_ROOT}/runtime/base/conversion.cpp")
imprinta_check_no_windows_headers(${FORMGEN_DESCRIPTION} ${FORMGEN_UNIT_DATA})
# The stored texts are GBK, as the program reads them.
target_compile_options(formgen PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK)
