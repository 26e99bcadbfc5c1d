# Tests of the extrude programs: the control-net reader as a unit, and profilepatch and arcpatch
# run as programs on the example nets, compared with the files under golden/.
add_executable(extrude_tests control_net_test.cpp extrude_test.cpp)
target_link_libraries(extrude_tests PRIVATE patchextrude test_support GTest::gtest_main)
target_compile_definitions(extrude_tests PRIVATE
    GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/golden"
    EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples"
    PROFILEPATCH="$<TARGET_FILE:profilepatch>"
    ARCPATCH="$<TARGET_FILE:arcpatch>"
)
add_dependencies(extrude_tests profilepatch arcpatch)
gtest_discover_tests(extrude_tests)

# The example nets and the golden files checked against each other by an independent script:
# the nets are what the script computes, both surfaces are right-handed with a simple boundary,
# and the golden files are the extrusions of the nets rendered with exact decimal arithmetic.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
    add_test(NAME extrude_example_nets
        COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/examples/make_nets.py
                --check ${CMAKE_CURRENT_SOURCE_DIR}/golden)
else()
    message(STATUS "python3 not found: the check of the example nets and golden files is skipped")
endif()
