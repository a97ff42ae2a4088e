# HTTP requests, queries and camera inquiry.
# Debian's cpp-httplib is a compiled library whose feature macros (from pkg-config) must match.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZKA_HTTP_HTTPLIB REQUIRED IMPORTED_TARGET cpp-httplib)

zka_add_test(camera_http_transfer_test NETWORK TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_http_transfer_test.cpp
  LIBS zka_camera PkgConfig::ZKA_HTTP_HTTPLIB)

zka_add_test(camera_http_inquiry_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_http_inquiry_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_http_host.cpp
  LIBS zka_upgrade)

zka_add_test(camera_http_query_test NETWORK TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_http_query_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_http_host.cpp
  LIBS zka_upgrade)

zka_add_test(camera_http_camera_test NETWORK TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/camera_http_camera_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_http_host.cpp
  LIBS zka_upgrade zka_camsim)
target_include_directories(camera_http_camera_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/unit)
target_compile_definitions(camera_http_camera_test PRIVATE ZKA_CLI_PATH="$<TARGET_FILE:zka-upgrade-cli>")
add_dependencies(camera_http_camera_test zka-upgrade-cli)
# Each case registers on its own; this runs them all in one process in a random order, which only
# passes while no case depends on what another left behind.
add_test(NAME camera_http_camera_test.shuffled
  COMMAND ${ZKA_SANDBOX} $<TARGET_FILE:camera_http_camera_test> --gtest_shuffle)
set_tests_properties(camera_http_camera_test.shuffled PROPERTIES TIMEOUT 120 LABELS e2e)

# The check before an upgrade, against scripted inquiry replies.
zka_add_test(target_check_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/target_check_test.cpp
  LIBS zka_upgrade)
