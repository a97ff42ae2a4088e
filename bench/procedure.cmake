# The upgrade procedure's overhead and its CPU while waiting, against simulated cameras: run inside
# the network sandbox,
#   scripts/sandbox.sh build/.../bench/procedure_bench [RUNS]
if(TARGET zka_camsim)
  add_library(zka_bench_fleet STATIC ${CMAKE_CURRENT_SOURCE_DIR}/ChildFleet.cpp)
  target_include_directories(zka_bench_fleet PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(zka_bench_fleet PUBLIC zka_camsim)

  add_executable(procedure_bench ${CMAKE_CURRENT_SOURCE_DIR}/procedure_bench.cpp)
  target_link_libraries(procedure_bench PRIVATE zka_upgrade zka_bench_fleet)
  zka_keep_in_sandbox(procedure_bench)
endif()
