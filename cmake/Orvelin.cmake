# Build helpers shared by every subsystem.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

add_library(orvelin_build_flags INTERFACE)
target_compile_options(orvelin_build_flags INTERFACE -Wall -Wextra)
if(ORVELIN_WERROR)
  target_compile_options(orvelin_build_flags INTERFACE -Werror)
endif()
# GCC 12 inlines std::string's appends at -O3 (Release) and then warns about
# overlaps that cannot happen (its bug 105651); the warning says nothing about
# our code, and the other build types keep it.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(orvelin_build_flags INTERFACE $<$<CONFIG:Release>:-Wno-restrict>)
endif()
if(ORVELIN_SANITIZE)
  target_compile_options(orvelin_build_flags INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(orvelin_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# orvelin_add_library(<name> SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
# Creates orvelin_<name>, with src/ as the include root so that every include
# reads "subsystem/header.h".
function(orvelin_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(orvelin_${name} STATIC ${ARG_SOURCES})
  target_include_directories(orvelin_${name} PUBLIC "${PROJECT_SOURCE_DIR}/src")
  target_link_libraries(orvelin_${name} PUBLIC orvelin_build_flags ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  set_property(GLOBAL APPEND PROPERTY ORVELIN_LIBRARIES ${name})
endfunction()

# Writes "<folder>: <folders it links>" for every library to FILE, so that the
# layering test can hold the link graph against cmake/layers.txt.
function(orvelin_write_link_graph file)
  get_property(libraries GLOBAL PROPERTY ORVELIN_LIBRARIES)
  set(text "")
  foreach(name IN LISTS libraries)
    get_target_property(linked orvelin_${name} LINK_LIBRARIES)
    set(deps "")
    foreach(dep IN LISTS linked)
      if(dep MATCHES "^orvelin_(.+)$" AND NOT dep STREQUAL "orvelin_build_flags")
        list(APPEND deps "${CMAKE_MATCH_1}")
      endif()
    endforeach()
    list(JOIN deps " " deps)
    string(APPEND text "${name}: ${deps}\n")
  endforeach()
  file(WRITE "${file}" "${text}")
endfunction()

# orvelin_add_test(<name> SOURCES ... DEPS ... [LABELS ...])
# One GoogleTest executable per subsystem; each test case becomes a CTest test.
# Every test links the shared test library (tests/support/).
function(orvelin_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE orvelin_build_flags ${ARG_DEPS} orvelin_test_support GTest::gmock
    GTest::gtest_main)
  target_include_directories(${name} PRIVATE "${PROJECT_SOURCE_DIR}/src" "${PROJECT_SOURCE_DIR}/tests")
  target_compile_definitions(${name} PRIVATE
    ORVELIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ORVELIN_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(NOT ARG_LABELS)
    set(ARG_LABELS fast)
  endif()
  # Failure paths are tested on purpose; their log lines would only be noise.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT ORVELIN_LOG=off)
endfunction()

# Fuzz builds instrument every library for coverage; the targets themselves
# link libFuzzer's main.
if(ORVELIN_FUZZ)
  target_compile_options(orvelin_build_flags INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(orvelin_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# orvelin_add_fuzzer(<name> SOURCES ... DEPS ... [CORPUS dir])
# The corpus directory (relative to the source tree) seeds the bounded CI run.
function(orvelin_add_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE orvelin_build_flags ${ARG_DEPS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY ORVELIN_FUZZERS "${name}=${ARG_CORPUS}")
endfunction()

# Adds every folder below the current one that has a CMakeLists.txt: units,
# test folders and fuzz folders join their parent by existing.
function(orvelin_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true "${CMAKE_CURRENT_SOURCE_DIR}/*")
  foreach(dir IN LISTS children)
    if(EXISTS "${dir}/CMakeLists.txt")
      add_subdirectory("${dir}")
    endif()
  endforeach()
endfunction()
