# The programs and scripts as an operator starts them, checked by shell scripts in the sandbox.
if(TARGET zka-upgrade)
  add_test(NAME wizard_startup
           COMMAND ${ZKA_SANDBOX} bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/wizard_startup_test.sh $<TARGET_FILE:zka-upgrade>)
  set_tests_properties(wizard_startup PROPERTIES TIMEOUT 120 LABELS e2e)
endif()

# "scripts/demo.sh --discover" end to end. The demo builds the default preset's programs itself,
# so it runs in that build only, where that build is a no-op.
if(CMAKE_BINARY_DIR STREQUAL "${PROJECT_SOURCE_DIR}/build/default" AND TARGET zka-camsim)
  add_test(NAME demo_discover
           COMMAND ${ZKA_SANDBOX} bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/demo_discover_test.sh 300)
  set_tests_properties(demo_discover PROPERTIES TIMEOUT 400 LABELS e2e)
endif()

# contrib/ansible's playbook run by ansible-playbook against two simulated segments. The plain build
# only: it runs the programs as they are, and one run is enough.
if(TARGET zka-camsim AND TARGET zka-upgrade-cli AND NOT ZKA_SANITIZE AND NOT ZKA_FUZZ)
  add_test(NAME ansible_fleet
           COMMAND ${ZKA_SANDBOX} bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/ansible_fleet_test.sh
                   $<TARGET_FILE:zka-upgrade-cli> $<TARGET_FILE:zka-camsim>)
  set_tests_properties(ansible_fleet PROPERTIES TIMEOUT 300 LABELS e2e)
endif()
