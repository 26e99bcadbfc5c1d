# patchcheck: its library tested directly, the program run as a program, and the generators'
# output read back and measured by it.
add_executable(check_tests
    patchcheck_read_test.cpp
    patchcheck_evaluate_test.cpp
    patchcheck_generators_test.cpp
    patchcheck_program_test.cpp
)
target_link_libraries(check_tests PRIVATE patchcheck_lib test_support GTest::gtest_main)
target_compile_definitions(check_tests PRIVATE
    GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/golden"
    CHECK_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/check_fixtures"
    EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples"
    PATCHCHECK="$<TARGET_FILE:patchcheck>"
    BOXPATCH="$<TARGET_FILE:boxpatch>"
    DRUMPATCH="$<TARGET_FILE:drumpatch>"
    RINGPATCH="$<TARGET_FILE:ringpatch>"
    ARCPATCH="$<TARGET_FILE:arcpatch>"
    PROFILEPATCH="$<TARGET_FILE:profilepatch>"
)
add_dependencies(check_tests patchcheck boxpatch drumpatch ringpatch arcpatch profilepatch)
gtest_discover_tests(check_tests)

# The grid and the picture read by an XML parser that is not ours (Python's xml.etree), their
# counts checked against each other.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME patchcheck_outputs_are_xml
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/patchcheck_xml.py
        $<TARGET_FILE:patchcheck> $<TARGET_FILE:drumpatch> $<TARGET_FILE:ringpatch>
        $<TARGET_FILE:boxpatch>
)
