# The "Add other cameras" dialog, its list and "Entry terminals". Their probes ask simulated
# cameras, so these cases run in the private network namespace, drawing off screen.
if(ZKA_BUILD_UI AND TARGET zka_camsim)
  add_library(zka_addedtestsupport STATIC ${CMAKE_CURRENT_SOURCE_DIR}/ui/AddedCamerasRig.cpp)
  target_include_directories(zka_addedtestsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/ui)
  target_link_libraries(zka_addedtestsupport PUBLIC zka_uitestsupport zka_camsim)

  foreach(name ui_added_list_test ui_add_cameras_dialog_test)
    add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/ui/${name}.cpp)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE zka_addedtestsupport)
    zka_keep_in_sandbox(${name})
    add_test(NAME ${name} COMMAND ${ZKA_SANDBOX} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS ui ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endforeach()
endif()
