# Polled inquiries to a fleet of simulated cameras at once: run inside the network sandbox,
#   scripts/sandbox.sh build/.../bench/polled_queries_bench [CAMERAS] [ROUNDS]
add_executable(polled_queries_bench ${CMAKE_CURRENT_SOURCE_DIR}/polled_queries_bench.cpp)
target_link_libraries(polled_queries_bench PRIVATE zka_camera zka_camsim)
zka_keep_in_sandbox(polled_queries_bench)
