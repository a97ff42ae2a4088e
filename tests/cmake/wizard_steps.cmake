# The wizard's rules, without a toolkit.
zka_add_test(wizard_steps_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/wizard_steps_test.cpp
  LIBS zka_wizard)
