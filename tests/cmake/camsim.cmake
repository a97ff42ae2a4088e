# The camera simulator's own tests. The checks need no socket; the fleet test runs in the sandbox.
add_library(zka_camsim_testsupport STATIC ${CMAKE_CURRENT_LIST_DIR}/../unit/camsim_support.cpp)
target_include_directories(zka_camsim_testsupport PUBLIC ${CMAKE_CURRENT_LIST_DIR}/../unit)
target_link_libraries(zka_camsim_testsupport PUBLIC zka_camsim OpenSSL::Crypto)

zka_add_test(camsim_checks_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/../unit/camsim_checks_test.cpp
    LIBS zka_camsim_testsupport
    TIMEOUT 60)

zka_add_test(camsim_fleet_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/../unit/camsim_fleet_test.cpp
    LIBS zka_camsim_testsupport CURL::libcurl
    NETWORK
    TIMEOUT 120)

zka_add_test(camsim_executable_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/../e2e/camsim_executable_test.cpp
    LIBS zka_camsim CURL::libcurl
    NETWORK
    TIMEOUT 60)
target_compile_definitions(camsim_executable_test PRIVATE ZKA_CAMSIM_EXECUTABLE="$<TARGET_FILE:zka-camsim>")
add_dependencies(camsim_executable_test zka-camsim)
