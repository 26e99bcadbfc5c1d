#include "patch/number.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "patch/arguments.hpp"

namespace {

using patch::arg_error;

constexpr double inf = std::numeric_limits<double>::infinity();

TEST(ParseRealArg, Values) {
    struct Case {
        const char* arg;
        double expected;
    };
    const Case cases[] = {
        {"2.5", 2.5},
        {"-3", -3.0},
        {"+.5", 0.5},
        {"5.", 5.0},
        {"1e3", 1000.0},
        {"1E3", 1000.0},
        {"1d3", 1000.0},
        {"1D3", 1000.0},
        {"1q3", 1000.0},
        {"1Q+3", 1000.0},
        {"1.5E-3", 0.0015},
        {"2.5-3", 0.0025},  // a sign alone starts the exponent
        {"2.5+3", 2500.0},
        {" 7", 7.0},
        {"\t7", 7.0},
        {"1.5,9", 1.5},  // the value ends at a comma, a slash or a blank
        {"1.5/", 1.5},
        {"1.5 abc", 1.5},
        {"3*2.5", 2.5},  // a repeat count changes nothing
        {"-0", -0.0},
        {"0.00000000015", 1.5e-10},
        // The whole argument counts, not its first ten characters.
        {"12345678901", 12345678901.0},
        {"0.123456789012", 0.123456789012},
        {"1.23456e+05", 123456.0},
        {"1.2345678e5", 123456.78},
        {"0.1", 0.1},
        {"9007199254740993", 9007199254740992.0},          // halfway between two doubles: to even
        {"9007199254740995", 9007199254740996.0},          // halfway: to even, upward this time
        {"9007199254740993.0000001", 9007199254740994.0},  // just above halfway
        {"0.30000000000000004", 0.30000000000000004},      // 17 digits: beyond the exact shortcut
        {"1.7976931348623157e308", 1.7976931348623157e308},
        {"123456789012345678901234567890", 1.2345678901234568e29},
        {"2.2250738585072011e-308", 2.2250738585072011e-308},
        {"1e400", inf},
        {"-1e400", -inf},
        {"1e-400", 0.0},
        {"-1e-400", -0.0},
        {"4.9e-324", 5e-324},  // the smallest subnormal
        {"1e99999999999999999999", inf},
        {"0.000000000000000000000000000001e30", 1.0},
        {"inf", inf},
        {"-inf", -inf},
        {"-Infinity", -inf},
        {"+INF", inf},
    };
    for (const auto& c : cases) {
        const auto r = patch::parse_real_arg(c.arg);
        ASSERT_EQ(r.error, arg_error::none) << "argument \"" << c.arg << "\"";
        EXPECT_EQ(std::bit_cast<std::uint64_t>(r.value), std::bit_cast<std::uint64_t>(c.expected))
            << "argument \"" << c.arg << "\" gave " << r.value;
    }
}

TEST(ParseRealArg, LongMantissaMeetsLongExponent) {
    // Leading zeros and the exponent together decide the magnitude, however long either is.
    const std::string zeros(2000000, '0');
    const auto huge = patch::parse_real_arg("0." + zeros + "1e10000000");  // 1e7999999
    ASSERT_EQ(huge.error, arg_error::none);
    EXPECT_EQ(huge.value, inf);
    const auto one = patch::parse_real_arg("0." + zeros + "1e2000001");
    ASSERT_EQ(one.error, arg_error::none);
    EXPECT_EQ(one.value, 1.0);
    const auto tiny = patch::parse_real_arg("-0." + zeros + "1e1000000");  // -1e-1000000
    ASSERT_EQ(tiny.error, arg_error::none);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(tiny.value), std::bit_cast<std::uint64_t>(-0.0));
}

// Every spelling of a decimal against the C library's strtod, which also rounds the exact decimal
// value to the nearest double: many digits, few digits, and exponents around the exact ranges.
TEST(ParseRealArg, MatchesStrtodOnRandomDecimals) {
    std::mt19937_64 rng(12112026);
    std::uniform_int_distribution<int> digit_count(1, 24);
    std::uniform_int_distribution<int> exponent(-45, 40);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int i = 0; i < 200000; ++i) {
        std::string text = (rng() & 1) ? "-" : "";
        const int n = digit_count(rng);
        const int point = static_cast<int>(rng() % static_cast<unsigned>(n + 1));
        for (int d = 0; d < n; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + digit(rng));
        }
        text += 'e' + std::to_string(exponent(rng));
        const auto r = patch::parse_real_arg(text);
        ASSERT_EQ(r.error, arg_error::none) << text;
        const double expected = std::strtod(text.c_str(), nullptr);
        ASSERT_EQ(std::bit_cast<std::uint64_t>(r.value), std::bit_cast<std::uint64_t>(expected))
            << text << " gave " << r.value;
    }
}

TEST(ParseRealArg, NaN) {
    for (const char* arg : {"NaN", "nan", "-nan", "+NAN"}) {
        const auto r = patch::parse_real_arg(arg);
        ASSERT_EQ(r.error, arg_error::none) << arg;
        EXPECT_TRUE(std::isnan(r.value)) << arg;
    }
}

TEST(ParseRealArg, Failures) {
    struct Case {
        const char* arg;
        arg_error expected;
    };
    const Case cases[] = {
        {"", arg_error::end_of_input},
        {"   ", arg_error::end_of_input},
        {" \t ", arg_error::end_of_input},
        {"abc", arg_error::malformed},
        {"1.5x", arg_error::malformed},
        {"1.0abc", arg_error::malformed},
        {"1..5", arg_error::malformed},
        {"--1", arg_error::malformed},
        {"+", arg_error::malformed},
        {"-", arg_error::malformed},
        {".", arg_error::malformed},
        {"1.5E", arg_error::malformed},
        {"1.5E+", arg_error::malformed},
        {"1.5-", arg_error::malformed},
        {"1e5.0", arg_error::malformed},
        {"0*5", arg_error::malformed},  // a repeat count of zero
        {"*5", arg_error::malformed},
        {"infinit", arg_error::malformed},
        {"nan(1)", arg_error::malformed},
        {"0x10", arg_error::malformed},
        // Arguments that supply no value are refused rather than read as some number.
        {",", arg_error::malformed},
        {"/", arg_error::malformed},
        {" ,5", arg_error::malformed},
        {"2*", arg_error::malformed},
        {"2* 5", arg_error::malformed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(patch::parse_real_arg(c.arg).error, c.expected) << "argument \"" << c.arg << "\"";
}

TEST(ParseListItem, RepeatCounts) {
    const auto three = patch::parse_list_item("3*2.5");
    EXPECT_EQ(three.what, patch::list_item::kind::value);
    EXPECT_EQ(three.repeat, 3u);
    EXPECT_EQ(three.value, 2.5);

    const auto empty = patch::parse_list_item("4*");
    EXPECT_EQ(empty.what, patch::list_item::kind::no_value);
    EXPECT_EQ(empty.repeat, 4u);

    const auto huge = patch::parse_list_item("99999999999999999999999*1");
    EXPECT_EQ(huge.what, patch::list_item::kind::value);
    EXPECT_EQ(huge.repeat, std::numeric_limits<std::uint64_t>::max());

    EXPECT_EQ(patch::parse_list_item("7").repeat, 1u);
    EXPECT_EQ(patch::parse_list_item("").what, patch::list_item::kind::malformed);
}

}  // namespace
