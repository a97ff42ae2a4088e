# The wizard's user-interface thread during a 256-camera batch, drawn off screen: the longest stall.
# Run inside the network sandbox:
#   scripts/sandbox.sh build/.../bench/wizard_batch_bench
if(TARGET zka_app AND TARGET zka_bench_fleet)
  add_executable(wizard_batch_bench ${CMAKE_CURRENT_SOURCE_DIR}/wizard_batch_bench.cpp)
  target_link_libraries(wizard_batch_bench PRIVATE zka_app zka_bench_fleet)
  zka_keep_in_sandbox(wizard_batch_bench)
endif()
