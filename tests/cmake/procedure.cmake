# The upgrade procedure and the manual flow: the synchronisation pieces on their own, then contexts
# and the manual flow end to end against simulated cameras in the sandbox, and the upgrade command.
zka_add_test(procedure_unit_test TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/procedure_sync_test.cpp
  LIBS zka_upgrade)

if(TARGET zka_camsim)
  add_library(zka_procedure_rig STATIC ${CMAKE_CURRENT_SOURCE_DIR}/e2e/procedure_rig.cpp)
  target_include_directories(zka_procedure_rig PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
  target_link_libraries(zka_procedure_rig PUBLIC zka_upgrade zka_camsim zka_testsupport)

  zka_add_test(procedure_automatic_test NETWORK TIMEOUT 180
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/procedure_automatic_test.cpp
    LIBS zka_procedure_rig)
  zka_add_test(procedure_manual_test NETWORK TIMEOUT 180
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/procedure_manual_test.cpp
    LIBS zka_procedure_rig)
  zka_add_test(manual_flow_test NETWORK TIMEOUT 180
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/manual_flow_test.cpp
    LIBS zka_procedure_rig)
endif()

if(TARGET zka_camsim AND TARGET zka-upgrade-cli)
  zka_add_test(manual_flow_cli_test NETWORK TIMEOUT 120
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/manual_flow_cli_test.cpp
    LIBS zka_procedure_rig)
  target_compile_definitions(manual_flow_cli_test PRIVATE ZKA_CLI_PATH="$<TARGET_FILE:zka-upgrade-cli>")
  add_dependencies(manual_flow_cli_test zka-upgrade-cli)
endif()

if(TARGET zka_camsim)
  zka_add_test(batch_scheduler_test NETWORK TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/batch_scheduler_test.cpp
    LIBS zka_procedure_rig)
endif()

if(TARGET zka_camsim AND TARGET zka-upgrade-cli)
  find_package(nlohmann_json CONFIG REQUIRED)
  zka_add_test(batch_cli_test NETWORK TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/batch_cli_test.cpp ${CMAKE_CURRENT_SOURCE_DIR}/e2e/batch_cli_report_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/e2e/batch_cli_rollout_test.cpp
    LIBS zka_procedure_rig nlohmann_json::nlohmann_json)
  target_compile_definitions(batch_cli_test PRIVATE ZKA_CLI_PATH="$<TARGET_FILE:zka-upgrade-cli>")
  add_dependencies(batch_cli_test zka-upgrade-cli)
endif()
