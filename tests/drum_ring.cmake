# drumpatch and ringpatch, run as programs in fresh folders, and the quarter file names.
add_executable(drum_ring_tests drumpatch_test.cpp ringpatch_test.cpp quarter_name_test.cpp)
target_link_libraries(drum_ring_tests PRIVATE quarter_name test_support GTest::gtest_main)
target_compile_definitions(drum_ring_tests PRIVATE
    GOLDEN_DIR="${CMAKE_CURRENT_SOURCE_DIR}/golden"
    DRUMPATCH="$<TARGET_FILE:drumpatch>"
    RINGPATCH="$<TARGET_FILE:ringpatch>"
)
add_dependencies(drum_ring_tests drumpatch ringpatch)
gtest_discover_tests(drum_ring_tests)
