# Registers a GoogleTest program as end-to-end tests: they need the private print server
# (fixture print_server) and never run beside another test that uses it, since the virtual
# printer's output folder is shared. Usable from any folder once tests/e2e is configured:
#   include(${PROJECT_SOURCE_DIR}/tests/e2e/E2eTests.cmake)
#   trevalune_add_e2e_tests(my_e2e_program "e2e.window." [TIMEOUT seconds, default 120])
set(TREVALUNE_E2E_STATE_DIR ${CMAKE_BINARY_DIR}/e2e-state)

function(trevalune_add_e2e_tests target prefix)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "TIMEOUT" "")
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()
    target_link_libraries(${target} PRIVATE trevalune_e2e_support)
    gtest_discover_tests(${target} TEST_PREFIX "${prefix}" DISCOVERY_TIMEOUT 60
        PROPERTIES
            FIXTURES_REQUIRED print_server
            RESOURCE_LOCK print_server
            ENVIRONMENT "TREVALUNE_E2E_STATE=${TREVALUNE_E2E_STATE_DIR}"
            TIMEOUT ${arg_TIMEOUT})
endfunction()
