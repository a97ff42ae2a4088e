# Pieces of fleet upgrades that need no camera: version order, the selection of a retry.
zka_add_test(version_order_test TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/version_order_test.cpp
  LIBS zka_upgrade)

# The rules of a staged rollout: failure limit, canary, skipped versions, maintenance window.
zka_add_test(rollout_policy_test TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/rollout_policy_test.cpp
  LIBS zka_upgrade)

# The cameras a retry takes from an earlier batch report.
zka_add_test(retry_list_test TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/retry_list_test.cpp
  LIBS zka_cli)

# Batch reports read for the fleet report, and its table.
zka_add_test(fleet_table_test TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/fleet_table_test.cpp
  LIBS zka_cli)
