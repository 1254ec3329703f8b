# The sanitizer build: AddressSanitizer (with its leak check) and
# UndefinedBehaviorSanitizer on every target, the test framework included. Any report
# ends the process at once with a failure, so no finding can scroll past unnoticed.
option(HUEMIX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(HUEMIX_SANITIZE)
  if(MSVC OR CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "HUEMIX_SANITIZE is for the native g++ or clang build")
  endif()
  # float-cast-overflow is not part of "undefined" in g++: a double too large for the
  # int it is truncated to is undefined all the same.
  set(HUEMIX_SANITIZE_FLAGS
      -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all
      -fno-omit-frame-pointer -g)
  add_compile_options(${HUEMIX_SANITIZE_FLAGS})
  add_link_options(${HUEMIX_SANITIZE_FLAGS})
endif()

# The sanitizers' settings, compiled into a test program so that every way of starting
# it (ctest, by hand, under a debugger) halts on the first report and checks for leaks.
function(huemix_sanitizer_defaults target)
  if(HUEMIX_SANITIZE)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests/sanitize/sanitizer_options.cpp)
  endif()
endfunction()

# The race check: ThreadSanitizer (with clang) on every target. The drawing threads'
# tests run under it; any report fails the test that made it.
option(HUEMIX_THREAD_SANITIZE "Build with ThreadSanitizer" OFF)
if(HUEMIX_THREAD_SANITIZE)
  if(MSVC OR CMAKE_CROSSCOMPILING OR HUEMIX_SANITIZE)
    message(FATAL_ERROR "HUEMIX_THREAD_SANITIZE is for a native build of its own")
  endif()
  set(HUEMIX_THREAD_SANITIZE_FLAGS -fsanitize=thread -fno-omit-frame-pointer -g)
  add_compile_options(${HUEMIX_THREAD_SANITIZE_FLAGS})
  add_link_options(${HUEMIX_THREAD_SANITIZE_FLAGS})
endif()
