# Pieces of fleet upgrades that need no camera: version order.
zka_add_test(version_order_test TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/version_order_test.cpp
  LIBS zka_upgrade)
