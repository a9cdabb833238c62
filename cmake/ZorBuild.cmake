# Compiler settings shared by every target, and the helpers the folders use to declare targets.

if(MSVC)
  message(FATAL_ERROR "Zorwise builds with gcc, clang or mingw-w64")
endif()

add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)

if(WIN32)
  # Run without the toolchain's DLLs next to the programs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Windows 2000 is the oldest target: mingw-w64's headers then hide every newer function, which
  # the code looks up at run time instead.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0500 WINVER=0x0500)
endif()

if(ZOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# zor_add_gtest(name SOURCES ... LIBS ...): a native GoogleTest program registered with CTest.
function(zor_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  find_package(GTest REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# zor_add_benchmark(name SOURCES ... LIBS ...): a native Google Benchmark program (not a test).
function(zor_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark_main)
endfunction()

# zor_add_e2e(name SCRIPT script [ARGS ...]): a Wine end-to-end test, registered in both Windows
# builds. The script gets the build directory (where the .exe and .dll files are) as its first
# argument, and ZOR_BITS says which build it runs: the 32-bit one runs on the wow64 Wine
# (scripts/wow64-wine.sh), in the layout 64-bit Windows gives a 32-bit program.
function(zor_add_e2e name)
  cmake_parse_arguments(ARG "" "SCRIPT" "ARGS" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  add_test(NAME ${name} COMMAND bash ${ARG_SCRIPT} ${CMAKE_BINARY_DIR}/bin ${ARG_ARGS})
  # A test still running after 560 s names what it waits on (tests/e2e/e2e_lib.sh) before ctest's
  # time-out kills it.
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 RESOURCE_LOCK wine LABELS e2e
                                          ENVIRONMENT "ZOR_BITS=${bits};ZOR_TEST_PATIENCE=560")
endfunction()

if(WIN32)
  # Every Windows program and DLL lands in one folder, as they are installed side by side.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  # The release ships without its symbols (half the size of each program).
  add_link_options($<$<CONFIG:Release>:-s>)
endif()

# The 32-bit release target loads on Windows 2000: the static threads library's imports of newer
# kernel32 functions are taken by run-time forwarders (platform/win32/legacy), linked into every
# program and DLL that has code, including those added later, once all folders are read. The 64-bit
# build links them too, so that the tests under Wine run through them.
function(zor_link_legacy_imports)
  set(pending ${CMAKE_SOURCE_DIR})
  while(pending)
    list(POP_FRONT pending dir)
    get_property(children DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND pending ${children})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(type ${target} TYPE)
      get_target_property(options ${target} LINK_OPTIONS)
      if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$" AND
         NOT "-nostdlib" IN_LIST options)
        set_property(TARGET ${target} APPEND PROPERTY LINK_LIBRARIES zor_legacy_imports)
      endif()
    endforeach()
  endwhile()
endfunction()

if(WIN32)
  add_library(zor_legacy_imports OBJECT ${CMAKE_SOURCE_DIR}/platform/win32/legacy/legacy_imports.cpp)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zor_link_legacy_imports)
endif()

# Adds every immediate subfolder of the current folder that has a CMakeLists.txt, in name order.
function(zor_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# zor_glob_sources(var dir): the .cpp files of dir, plus those of dir/win32 on Windows or
# dir/posix elsewhere, so that each layer lists its adapters without #ifdef inside functions.
function(zor_glob_sources var dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(WIN32)
    file(GLOB os_sources CONFIGURE_DEPENDS ${dir}/win32/*.cpp)
  else()
    file(GLOB os_sources CONFIGURE_DEPENDS ${dir}/posix/*.cpp)
  endif()
  set(${var} ${sources} ${os_sources} PARENT_SCOPE)
endfunction()

# zor_add_fuzz_target(name SOURCES ... LIBS ... CORPUS dir): a libFuzzer target in the fuzz preset;
# in every other native build the same entry point replays the corpus as an ordinary test.
function(zor_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    return()
  endif()
  if(ZOR_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  else()
    add_executable(${name}_replay ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    target_link_libraries(${name}_replay PRIVATE ${ARG_LIBS})
    add_test(NAME ${name}_corpus COMMAND ${name}_replay ${ARG_CORPUS})
  endif()
endfunction()
