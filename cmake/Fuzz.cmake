# The fuzz build: clang's libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer,
# in a build tree of its own (HUEMIX_FUZZ=ON). The core is compiled with the coverage
# instrumentation; each target links the fuzzer's main. Off by default, so the normal
# builds are untouched.
option(HUEMIX_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(HUEMIX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "HUEMIX_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
  endif()
  # Every report halts the run, so that the fuzzer sees it as a finding.
  set(HUEMIX_FUZZ_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  add_compile_options(-fsanitize=fuzzer-no-link ${HUEMIX_FUZZ_SANITIZERS})
  add_link_options(${HUEMIX_FUZZ_SANITIZERS})

  # The two slowest generators run a hundred times slower instrumented (a minute for
  # one reaction-diffusion picture), which would starve the input fuzzing; they are
  # compiled plain here and checked under the sanitizers by the unit suite instead.
  # The other pixel loops keep the sanitizers and the edge coverage but not the tracing
  # of comparisons, which costs more there than everything else together and guides
  # nothing: the fuzzer steers the input handling, not the arithmetic of pictures.
  file(GLOB HUEMIX_FUZZ_PIXEL_SOURCES CONFIGURE_DEPENDS modes/*.cpp modes/*/*.cpp text/*.cpp app/frame.cpp)
  set_source_files_properties(${HUEMIX_FUZZ_PIXEL_SOURCES}
                              PROPERTIES COMPILE_OPTIONS "-fno-sanitize-coverage=trace-cmp")
  set_source_files_properties(modes/reaction/reaction_diffusion.cpp modes/buddhabrot/buddhabrot.cpp
                              PROPERTIES COMPILE_OPTIONS "-fno-sanitize=all")

  file(GLOB HUEMIX_FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/fuzz_*.cpp)
  foreach(source ${HUEMIX_FUZZ_SOURCES})
    get_filename_component(name ${source} NAME_WE)
    # The targets drive the core against the tests' recording platform.
    add_executable(${name} ${source} ${CMAKE_CURRENT_SOURCE_DIR}/tests/fake_platform.cpp
                   ${CMAKE_CURRENT_SOURCE_DIR}/tests/test_support.cpp)
    target_link_libraries(${name} PRIVATE huemix_core)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    huemix_set_flags(${name})
    list(APPEND HUEMIX_FUZZ_TARGETS ${name})
  endforeach()
  add_custom_target(fuzz_targets DEPENDS ${HUEMIX_FUZZ_TARGETS})
endif()
