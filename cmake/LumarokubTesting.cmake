# lumarokub_add_gtest(TARGET): registers a GoogleTest executable with ctest.
# Natively each test case is its own ctest test; under wine the executable
# runs once as a whole, since every start of a Windows program costs seconds,
# inside the one wine session of the test run (fixture wine_session).
function(lumarokub_add_gtest target)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${target} COMMAND ${target})
        set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine_session)
    else()
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 30)
    endif()
endfunction()
