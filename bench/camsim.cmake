# Figures of the camera simulator. Opens sockets: run it in the sandbox,
#   scripts/sandbox.sh build/default/bench/camsim_bench
if(TARGET zka_camsim)
  add_executable(camsim_bench ${CMAKE_CURRENT_LIST_DIR}/camsim_bench.cpp
                              ${PROJECT_SOURCE_DIR}/tests/unit/camsim_support.cpp)
  target_include_directories(camsim_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit)
  target_link_libraries(camsim_bench PRIVATE zka_camsim CURL::libcurl OpenSSL::Crypto)
  zka_keep_in_sandbox(camsim_bench)
endif()
