# Packaged resources: the texts and lists of the embedded store on their real encoding, the
# start-up loads, the generated firmware package, the generator's manifest, and the package
# extracted by the command line and checked with tar and sha256sum.
zka_add_test(resources_test TIMEOUT 120
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/resources_text_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/unit/resources_loader_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/unit/resources_package_test.cpp
  LIBS zka_resources)

zka_add_test(resources_manifest_test TIMEOUT 60
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/resources_manifest_test.cpp
          ${PROJECT_SOURCE_DIR}/tools/resgen/ResourceManifest.cpp
  LIBS zka_resources)
target_include_directories(resources_manifest_test PRIVATE ${PROJECT_SOURCE_DIR}/tools/resgen)

add_test(NAME resources_package_extract
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/unit/resources_package_extract.sh $<TARGET_FILE:zka-upgrade-cli>)
set_tests_properties(resources_package_extract PROPERTIES TIMEOUT 120 LABELS unit)
