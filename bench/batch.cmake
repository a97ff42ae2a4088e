# The automatic batch: 256 simulated cameras with 2 and with 16 positions at a time, their codes,
# the memory and the wall time against the least the rules allow. Run inside the network sandbox:
#   scripts/sandbox.sh build/.../bench/batch_bench
if(TARGET zka_camsim)
  add_executable(batch_bench ${CMAKE_CURRENT_SOURCE_DIR}/batch_bench.cpp)
  target_link_libraries(batch_bench PRIVATE zka_upgrade zka_bench_fleet)
  zka_keep_in_sandbox(batch_bench)
endif()
