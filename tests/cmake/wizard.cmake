# The wizard zka-upgrade: its rules and the manual mode clicked through end to end against simulated
# cameras. The wizard starts discovery (a broadcast) as soon as it exists, so every case runs in the
# private network namespace; messages go through a scripted prompter, never a modal box.
if(ZKA_BUILD_UI AND TARGET zka_ui)
  zka_add_qt_test(ui_timer_stop_test)

  if(TARGET zka_procedure_rig)
    add_library(zka_wizardtestsupport STATIC ${CMAKE_CURRENT_SOURCE_DIR}/ui/WizardDriver.cpp)
    set_target_properties(zka_wizardtestsupport PROPERTIES AUTOMOC ON)
    target_include_directories(zka_wizardtestsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/ui)
    target_link_libraries(zka_wizardtestsupport PUBLIC zka_uitestsupport zka_procedure_rig)

    # zka_add_wizard_test(NAME) builds ui/NAME.cpp and runs it in the sandbox, drawing off screen.
    function(zka_add_wizard_test name)
      add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/ui/${name}.cpp)
      set_target_properties(${name} PROPERTIES AUTOMOC ON)
      target_link_libraries(${name} PRIVATE zka_wizardtestsupport)
      zka_keep_in_sandbox(${name})
      add_test(NAME ${name} COMMAND ${ZKA_SANDBOX} $<TARGET_FILE:${name}>)
      set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS ui ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endfunction()

    zka_add_wizard_test(wizard_rules_test)
    zka_add_wizard_test(wizard_manual_test)
    zka_add_wizard_test(wizard_automatic_test)
  endif()
endif()
