# Discovery: the reply parser and camera table, the listener and whole discovery runs in the network
# sandbox, and the command line's discover command against the camera simulator.
add_library(zka_discovery_testsupport STATIC ${CMAKE_CURRENT_SOURCE_DIR}/unit/discovery_responder.cpp)
target_include_directories(zka_discovery_testsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/unit)
target_link_libraries(zka_discovery_testsupport PUBLIC Threads::Threads)

zka_add_test(discovery_table_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/discovery_table_test.cpp
  LIBS zka_discovery zka_discovery_testsupport
  TIMEOUT 120)

zka_add_test(discovery_listener_test NETWORK
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/discovery_listener_test.cpp
  LIBS zka_discovery zka_discovery_testsupport
  TIMEOUT 120)

if(TARGET zka_camsim)
  zka_add_test(discovery_cli_test NETWORK
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/discovery_cli_test.cpp
    LIBS zka_camsim
    TIMEOUT 120)
  target_compile_definitions(discovery_cli_test PRIVATE ZKA_CLI_PATH="$<TARGET_FILE:zka-upgrade-cli>")
  add_dependencies(discovery_cli_test zka-upgrade-cli)
endif()
