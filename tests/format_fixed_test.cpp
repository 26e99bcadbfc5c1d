#include "patch/format_fixed.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

namespace {

std::string fixed(double v) { return std::string(patch::as_view(patch::format_fixed(v))); }

TEST(FormatFixed, Table) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double v;
        const char* field;
    };
    const Case cases[] = {
        {0.0, "  0.000000000"},
        {-0.0, " -0.000000000"},  // the sign bit shows
        {1.0, "  1.000000000"},
        {0.5, "  0.500000000"},
        {-0.25, " -0.250000000"},
        {0.1, "  0.100000000"},
        {1.0 / 3.0, "  0.333333333"},
        {2.0 / 3.0, "  0.666666667"},
        {1.0 / std::sqrt(2.0), "  0.707106781"},
        {0.0000000004, "  0.000000000"},
        {-0.0000000004, " -0.000000000"},  // rounds to zero, keeps its sign
        {0.0009765625, "  0.000976562"},   // halfway: to the even ninth digit
        {0.0029296875, "  0.002929688"},   // halfway: to the even ninth digit
        {0.9999999996, "  1.000000000"},   // the carry reaches the integer part
        {123.456, "123.456000000"},
        {-12.5, "-12.500000000"},
        {999.9999999994, "999.999999999"},  // widest positive text, no leading blank
        {999.9999999995, "*************"},  // rounds to 1000.000000000, 14 characters
        {1000.0, "*************"},
        {-99.9999999994, "-99.999999999"},
        {-99.9999999995, "*************"},
        {-100.0, "*************"},
        {1e20, "*************"},
        {-1e300, "*************"},
        {5e-324, "  0.000000000"},  // smallest subnormal
        {inf, "     Infinity"},
        {-inf, "    -Infinity"},
        {std::numeric_limits<double>::quiet_NaN(), "          NaN"},
        {-std::numeric_limits<double>::quiet_NaN(), "          NaN"},  // whatever its sign bit
    };
    for (const auto& c : cases) EXPECT_EQ(fixed(c.v), c.field) << "value " << c.v;
}

// write_fixed says whether the value fits: infinities and NaN do, as words.
TEST(FormatFixed, WriteFixedReportsAValueThatDoesNotFit) {
    char out[13];
    EXPECT_TRUE(patch::write_fixed(999.9999999994, out));
    EXPECT_FALSE(patch::write_fixed(999.9999999995, out));
    EXPECT_TRUE(patch::write_fixed(std::numeric_limits<double>::infinity(), out));
    EXPECT_TRUE(patch::write_fixed(std::numeric_limits<double>::quiet_NaN(), out));
}

// The C library's printf rounds the exact binary value too (ties to even in the default rounding
// mode) by an algorithm of its own: an independent reference for every finite double.
std::string reference_fixed(double v) {
    char buf[400];
    const int len = std::snprintf(buf, sizeof buf, "%.9f", v);
    if (len > 13) return std::string(13, '*');
    return std::string(static_cast<std::size_t>(13 - len), ' ') + buf;
}

TEST(FormatFixed, MatchesExactReferenceOnRandomDoubles) {
    std::mt19937_64 rng(20261211);
    std::uniform_int_distribution<int> exponent(-45, 14);
    std::uniform_int_distribution<std::int64_t> odd(-(std::int64_t{1} << 20),
                                                    std::int64_t{1} << 20);
    int checked = 0;
    for (int i = 0; i < 400000; ++i) {
        double v = 0.0;
        switch (i % 4) {
            case 0:  // any bit pattern at all
                v = std::bit_cast<double>(rng());
                if (!std::isfinite(v)) continue;
                break;
            case 1:  // a random mantissa at a magnitude where the nine decimals matter
                v = std::ldexp(static_cast<double>(rng() >> 11), exponent(rng) - 53);
                if (rng() & 1) v = -v;
                break;
            case 2:  // an exact halfway case: an odd multiple of 1/1024
                v = static_cast<double>(odd(rng) * 2 + 1) / 1024.0;
                break;
            case 3:  // the doubles right beside a halfway case
                v = static_cast<double>(odd(rng) * 2 + 1) / 1024.0;
                v = std::nextafter(v, (rng() & 1) ? 1e9 : -1e9);
                break;
        }
        ASSERT_EQ(fixed(v), reference_fixed(v))
            << "bits 0x" << std::hex << std::bit_cast<std::uint64_t>(v);
        ++checked;
    }
    EXPECT_GT(checked, 300000);
}

TEST(FormatFixed, IgnoresTheLocale) {
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"};
    const char* found = nullptr;
    for (const char* n : names)
        if (std::setlocale(LC_ALL, n) != nullptr) {
            found = n;
            break;
        }
    if (found == nullptr) GTEST_SKIP() << "no locale with a decimal comma is installed";
    const std::string field = fixed(0.5);
    (void)std::setlocale(LC_ALL, "C");
    EXPECT_EQ(field, "  0.500000000") << "under " << found;
}

}  // namespace
