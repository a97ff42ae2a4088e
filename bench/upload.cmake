# The firmware upload against simulated cameras: speed next to a plain curl upload of the same
# bytes, and the memory two simultaneous uploads add. Run inside the network sandbox:
#   scripts/sandbox.sh build/.../bench/upload_bench [RUNS]
if(TARGET zka_camsim)
  add_executable(upload_bench ${CMAKE_CURRENT_SOURCE_DIR}/upload_bench.cpp)
  target_link_libraries(upload_bench PRIVATE zka_camera zka_camsim zka_testsupport)
  zka_keep_in_sandbox(upload_bench)
endif()
