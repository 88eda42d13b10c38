// The update decision's rules: query address, byte-wise version order, command lines and
// the progress percentage's bounds.
#include "loader/update_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(UpdateRules, QueryUrlAppendsTheFixedParametersVerbatim) {
    EXPECT_EQ(loader::ChannelOf("1.0.0.1002"), "1002");
    EXPECT_EQ(loader::ChannelOf("nodots"), "nodots");
    EXPECT_EQ(loader::ChannelOf("trailing."), "");
    EXPECT_EQ(loader::VersionQueryUrl("https://h/Home/version/"),
              "https://h/Home/version/?version=1.0.0.1&channel=1002");
    // Nothing is escaped, nothing inserted.
    EXPECT_EQ(loader::VersionQueryUrl("https://h/a b?x=1&"),
              "https://h/a b?x=1&?version=1.0.0.1&channel=1002");
}

TEST(UpdateRules, VersionsCompareAsByteStrings) {
    using loader::IsInstalledVersionCurrent;
    EXPECT_TRUE(IsInstalledVersionCurrent("1.2.0.3", "1.2.0.3"));
    EXPECT_TRUE(IsInstalledVersionCurrent("1.0.0.9", "1.0.0.10"));  // '9' > '1'
    EXPECT_FALSE(IsInstalledVersionCurrent("1.0.0.10", "1.0.0.9"));
    EXPECT_FALSE(IsInstalledVersionCurrent("1.0", "1.0.0"));  // prefix is smaller
    EXPECT_TRUE(IsInstalledVersionCurrent("1.0.0", "1.0"));
    EXPECT_TRUE(IsInstalledVersionCurrent("1", ""));  // failed query
    EXPECT_FALSE(IsInstalledVersionCurrent("", ""));  // nothing installed
    EXPECT_FALSE(IsInstalledVersionCurrent("", "1.0"));
    // High bytes are unsigned: 0xE4 sorts after ASCII.
    EXPECT_TRUE(IsInstalledVersionCurrent("\xE4", "z"));
    EXPECT_FALSE(IsInstalledVersionCurrent("z", "\xE4"));
    // An embedded NUL is a byte like any other.
    EXPECT_TRUE(IsInstalledVersionCurrent(std::string("1\0b", 3), std::string("1\0a", 3)));
}

TEST(UpdateRules, CommandLinesRunTheSwitchWordsTogether) {
    EXPECT_EQ(loader::LaunchCommandLine(false), "ignore-update");
    EXPECT_EQ(loader::LaunchCommandLine(true), "silenceignore-update");
}

TEST(UpdateRules, ProgressPercentTruncatesAndStaysWithinBounds) {
    using loader::ProgressPercent;
    EXPECT_EQ(ProgressPercent(1000, 0), 0u);
    EXPECT_EQ(ProgressPercent(1000, 999), 99u);
    EXPECT_EQ(ProgressPercent(1000, 1000), 100u);
    EXPECT_EQ(ProgressPercent(3, 1), 33u);
    EXPECT_EQ(ProgressPercent(998, 1000), 100u);  // the probe's range leaves out two bytes
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Values whose conversion to an integer would be undefined.
    EXPECT_EQ(ProgressPercent(0, 0), 0u);
    EXPECT_EQ(ProgressPercent(0, 5), 0u);
    EXPECT_EQ(ProgressPercent(-1, 5), 0u);
    EXPECT_EQ(ProgressPercent(-10, -5), 0u);
    EXPECT_EQ(ProgressPercent(10, -5), 0u);
    EXPECT_EQ(ProgressPercent(nan, 5), 0u);
    EXPECT_EQ(ProgressPercent(10, nan), 0u);
    EXPECT_EQ(ProgressPercent(inf, 5), 0u);
    EXPECT_EQ(ProgressPercent(inf, inf), 0u);
    EXPECT_EQ(ProgressPercent(10, inf), 100u);
    EXPECT_EQ(ProgressPercent(1e-300, 1e300), 100u);
    EXPECT_EQ(ProgressPercent(1, 1e30), 100u);
}

}  // namespace
