# Qt Test cases of the pages, widgets and seams of the Qt layer. They draw off screen, open no socket
# and never leave a modal box open: messages go through a scripted prompter.
if(ZKA_BUILD_UI)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)

  add_library(zka_uitestsupport STATIC ${CMAKE_CURRENT_SOURCE_DIR}/ui/UiTestSupport.cpp)
  target_include_directories(zka_uitestsupport PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/ui)
  target_link_libraries(zka_uitestsupport PUBLIC zka_app zka_testsupport Qt6::Test)

  # zka_add_qt_test(NAME) builds ui/NAME.cpp into a Qt Test executable registered with CTest.
  function(zka_add_qt_test name)
    add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/ui/${name}.cpp)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE zka_uitestsupport)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 120 LABELS ui ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endfunction()

  zka_add_qt_test(ui_first_pages_test)
  zka_add_qt_test(ui_manual_pages_test)
  zka_add_qt_test(ui_widgets_test)
  zka_add_qt_test(ui_seams_test)
  zka_add_qt_test(ui_target_list_test)
  zka_add_qt_test(ui_dialogs_test)
  zka_add_qt_test(ui_automatic_target_page_test)
  zka_add_qt_test(ui_automatic_progress_page_test)

  # Every page in a frame laid out as the wizard's, for screenshots; the test saves each page as a
  # picture off screen.
  add_executable(zka-page-gallery ${CMAKE_CURRENT_SOURCE_DIR}/ui/PageGallery.cpp)
  set_target_properties(zka-page-gallery PROPERTIES AUTOMOC ON)
  target_link_libraries(zka-page-gallery PRIVATE zka_app zka_testsupport)
  add_test(NAME ui_page_gallery COMMAND zka-page-gallery --save ${CMAKE_CURRENT_BINARY_DIR}/page-gallery)
  set_tests_properties(ui_page_gallery PROPERTIES TIMEOUT 120 LABELS ui ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
