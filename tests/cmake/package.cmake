# The Debian packages: scripts/package.sh makes a release build of its own (build/package) and the
# two packages in dist/, scripts/check-package.sh checks them (lintian, desktop entry, metainfo, the
# unpacked programs). Once per test run, in the plain build only, and alone: the release build takes
# both cores for minutes.
if(NOT ZKA_SANITIZE AND ZKA_BUILD_UI)
  add_test(NAME package_checks
           COMMAND bash -c "bash scripts/package.sh && bash scripts/check-package.sh"
           WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
  set_tests_properties(package_checks PROPERTIES LABELS package TIMEOUT 2400 RUN_SERIAL TRUE)
endif()
