# Camera address lists: the text format shared by the wizard's import and the command line.
zka_add_test(address_list_test TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/address_list_test.cpp
  LIBS zka_upgrade)
