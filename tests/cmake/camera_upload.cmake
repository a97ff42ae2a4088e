# Firmware upload, configuration backup and restore: the body pieces, the answer parser and the
# backup paths without a network; the requests end to end against a simulated camera in the sandbox.
zka_add_test(camera_upload_unit_test TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_upload_body_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_upload_parser_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/unit/camera_upload_backup_test.cpp
  LIBS zka_camera)

# End to end against the camera simulator (when it is part of the build).
if(TARGET zka_camsim)
  zka_add_test(camera_upload_e2e_test NETWORK TIMEOUT 300
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/camera_upload_e2e_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/e2e/camera_backup_e2e_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/e2e/camera_upload_canned_server.cpp
    LIBS zka_upgrade zka_camsim)
  target_include_directories(camera_upload_e2e_test PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/e2e)

  zka_add_test(camera_upload_cli_test NETWORK TIMEOUT 120
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/e2e/camera_upload_cli_test.cpp
    LIBS zka_camsim)
  target_compile_definitions(camera_upload_cli_test PRIVATE ZKA_CLI_PATH="$<TARGET_FILE:zka-upgrade-cli>")
  add_dependencies(camera_upload_cli_test zka-upgrade-cli)
endif()
