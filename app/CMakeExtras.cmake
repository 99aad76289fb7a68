# Included by the top-level CMakeLists.txt after the Imprinta target exists.

# The skin library's DLL image travels inside the program (generated source,
# see app/skin/CMakeLists.txt).
if(TARGET SkinH_QX AND IMPRINTA_SKIN_IMAGE_SOURCE)
  target_sources(Imprinta PRIVATE "${IMPRINTA_SKIN_IMAGE_SOURCE}")
  add_dependencies(Imprinta SkinH_QX)
  # The generated source embeds the built DLL: compile it only after the link.
  set_source_files_properties("${IMPRINTA_SKIN_IMAGE_SOURCE}" PROPERTIES
    OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/app/skin/SkinH_QX.dll")
endif()

# The program links only once its entry point is part of app/; until then the
# application sources are built by the tests that use them.
set(_imprinta_entry FALSE)
foreach(_src IN LISTS APP_SOURCES)
  file(STRINGS "${_src}" _hits REGEX "(WinMain|[ \t]main)[ \t]*\\(")
  if(_hits)
    set(_imprinta_entry TRUE)
  endif()
endforeach()
if(NOT _imprinta_entry)
  set_target_properties(Imprinta PROPERTIES EXCLUDE_FROM_ALL TRUE)
endif()

# The tutorial page travels inside the program (app/resources/tutorial_page.cpp
# includes it with .incbin, which the compiler's dependency scan does not see).
set(IMPRINTA_TUTORIAL_HTML "${CMAKE_SOURCE_DIR}/app/resources/tutorial.html")
# Source properties are per directory: tests/app sets the same for its copy.
set(IMPRINTA_TUTORIAL_SOURCE "${CMAKE_SOURCE_DIR}/app/resources/tutorial_page.cpp")
set_source_files_properties("${IMPRINTA_TUTORIAL_SOURCE}" PROPERTIES OBJECT_DEPENDS "${IMPRINTA_TUTORIAL_HTML}"
  COMPILE_DEFINITIONS "IMPRINTA_TUTORIAL_PAGE_FILE=\"${IMPRINTA_TUTORIAL_HTML}\"")

# A copy next to the built program, for the tests to compare with.
add_custom_command(TARGET Imprinta POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different "${CMAKE_SOURCE_DIR}/app/resources/tutorial.html"
          "$<TARGET_FILE_DIR:Imprinta>/tutorial.html")

# A test build of the program whose allocations can be refused one at a time
# (tests/app/failing_allocator.cpp replaces the entry; tests/app sweeps it).
get_target_property(_imprinta_sources Imprinta SOURCES)
list(FILTER _imprinta_sources EXCLUDE REGEX "/app/main\\.cpp$")
add_executable(imprinta_faults WIN32 ${_imprinta_sources} "${CMAKE_SOURCE_DIR}/tests/app/failing_allocator.cpp")
target_link_libraries(imprinta_faults PRIVATE imprinta_runtime)
add_dependencies(imprinta_faults Imprinta)
