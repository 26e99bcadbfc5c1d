#include "quarter_name.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(Cname, Table) {
    struct Case {
        int n;
        const char* text;  // all ten characters
    };
    const Case cases[] = {
        {0, ".0        "},  // zero still gives its one digit
        {4, ".4        "},
        {9, ".9        "},
        {10, ".10       "},
        {100, ".100      "},  // zeros after the first digit stay
        {105, ".105      "},
        {999999999, ".999999999"},   // all ten positions, no blank
        {1000000000, ".0        "},  // only the nine low-order digits are kept
        {1234567890, ".234567890"},
        {1000000007, ".7        "},  // and their leading zeros are suppressed
        {INT_MAX, ".147483647"},
        {-5, ".-5       "},
        {INT_MIN, ".-47483648"},  // no overflow on the magnitude
    };
    for (const auto& c : cases) {
        const std::string text = patch::cname(c.n);
        EXPECT_EQ(text, c.text) << "n = " << c.n;
        EXPECT_EQ(text.size(), patch::cname_width) << "n = " << c.n;
    }
}

TEST(QuarterFileName, Table) {
    struct Case {
        int p;
        const char* name;  // without the blanks that pad it to 30
    };
    const Case cases[] = {
        {1, "annulus.dat"},  // the first quarter carries no number
        {2, "annulus.2.dat"},
        {3, "annulus.3.dat"},
        {4, "annulus.4.dat"},
        {10, "annulus.10.dat"},
        {999999999, "annulus.999999999.dat"},  // the longest name, 21 characters
        {INT_MIN, "annulus.-47483648.dat"},
    };
    for (const auto& c : cases) {
        const std::string name = patch::quarter_file_name(c.p);
        const std::string expected = c.name;
        EXPECT_EQ(name, expected + std::string(patch::quarter_name_width - expected.size(), ' '))
            << "p = " << c.p;
    }
}

TEST(QuarterFileName, NamesOfTheFourQuartersHoldNoBlankAndNoOne) {
    for (int p = 1; p <= 4; ++p) {
        std::string name = patch::quarter_file_name(p);
        ASSERT_EQ(name.size(), patch::quarter_name_width);
        name.erase(name.find_last_not_of(' ') + 1);
        EXPECT_EQ(name.find(' '), std::string::npos) << '"' << name << '"';
        EXPECT_EQ(name.find('1'), std::string::npos) << '"' << name << '"';
    }
}

}  // namespace
