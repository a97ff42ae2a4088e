# Discovery of a full table against the simulated fleet. Run inside the network sandbox:
#   scripts/sandbox.sh build/.../bench/discovery_bench [TIME_SCALE]
if(TARGET zka_camsim)
  add_executable(discovery_bench ${CMAKE_CURRENT_SOURCE_DIR}/discovery_bench.cpp)
  target_link_libraries(discovery_bench PRIVATE zka_discovery zka_camsim)
  zka_keep_in_sandbox(discovery_bench)
endif()
