# The release number in one place (the project version) and the rules that make the
# shipped executables the same bytes from the same sources, whatever the folder or the
# time of the build.

# huemix_version.h for the code and the resource scripts; the application manifest and
# the README of the download carry the same number.
set(HUEMIX_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/cmake/huemix_version.h.in ${HUEMIX_GENERATED_DIR}/huemix_version.h @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/huemix.manifest.in ${HUEMIX_GENERATED_DIR}/huemix.manifest @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/README-windows.txt.in ${HUEMIX_GENERATED_DIR}/README.txt @ONLY)

# No folder of the build inside the objects: __FILE__ and debug records name files
# relative to the source and build trees.
if(MINGW)
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
endif()

# A shipped executable: no link time stamp in the PE header, no build id, no symbol
# table (nothing a user needs, and smaller to download). Its manifest comes from its
# resource script, so the Microsoft linker must not add one of its own.
function(huemix_release_executable target)
  if(MINGW)
    target_link_options(${target} PRIVATE -Wl,--no-insert-timestamp -Wl,--build-id=none -s)
  elseif(MSVC)
    target_link_options(${target} PRIVATE /MANIFEST:NO /Brepro)
  endif()
endfunction()
