# Start-up load of the packaged resources, the firmware package's SHA-256 check included:
#   build/.../bench/package_load_bench [RUNS]
add_executable(package_load_bench ${CMAKE_CURRENT_SOURCE_DIR}/package_load_bench.cpp)
target_link_libraries(package_load_bench PRIVATE zka_resources)
