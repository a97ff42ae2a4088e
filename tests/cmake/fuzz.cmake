# Fuzz targets of the parsers of what cameras and operators send: every tests/fuzz/*_fuzz.cpp, with
# its seed corpus in tests/fuzz/corpus/<file name without .cpp>/. Each file defines
# LLVMFuzzerTestOneInput and links zka_core.
#  - In the fuzz preset (clang, ZKA_FUZZ) each is a libFuzzer executable; scripts/fuzz.sh runs them.
#  - In every other build a small driver replays the seed corpus through the same target, as a test
#    labelled fuzz, so the corpus also runs under the sanitizer builds.
file(GLOB ZKA_FUZZ_TARGETS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/*_fuzz.cpp)
file(GLOB ZKA_FUZZ_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/support/*.cpp)

add_library(zka_fuzzsupport STATIC ${ZKA_FUZZ_SUPPORT_SOURCES})
target_include_directories(zka_fuzzsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/fuzz)
target_link_libraries(zka_fuzzsupport PUBLIC zka_core)

if(NOT ZKA_FUZZ)
  add_library(zka_fuzzreplay STATIC ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/replay/CorpusReplay.cpp)
endif()

add_custom_target(zka_fuzzers)
foreach(source ${ZKA_FUZZ_TARGETS})
  get_filename_component(name ${source} NAME_WE)
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${name})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE zka_core zka_fuzzsupport)
  add_dependencies(zka_fuzzers ${name})
  if(ZKA_FUZZ)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # One pass over the seeds, without mutation.
    add_test(NAME ${name} COMMAND ${name} -runs=0 ${corpus})
  else()
    target_link_libraries(${name} PRIVATE zka_fuzzreplay)
    add_test(NAME ${name} COMMAND ${name} ${corpus})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
endforeach()
