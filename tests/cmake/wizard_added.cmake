# Cameras that discovery does not find, added in the wizard against simulated cameras (in the
# sandbox, as the other wizard cases).
if(COMMAND zka_add_wizard_test)
  zka_add_wizard_test(wizard_added_test)
endif()
