# lumarokub_add_gtest(TARGET): registers a GoogleTest executable with ctest.
# Natively each test case is its own ctest test; under wine the executable
# runs once as a whole, since every start of a Windows program costs seconds.
function(lumarokub_add_gtest target)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${target} COMMAND ${target})
    else()
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 30)
    endif()
endfunction()
