#include "sim_options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SimOptionsResult parse(std::vector<std::string_view> args) {
    return parseSimOptions(args);
}

TEST(SimOptions, DefaultsWithoutArguments) {
    const SimOptionsResult r = parse({});
    ASSERT_EQ(r.error, "");
    EXPECT_FALSE(r.options.port);
    EXPECT_FALSE(r.options.scriptFile);
    EXPECT_FALSE(r.options.rawFile);
    EXPECT_DOUBLE_EQ(r.options.rate, 2.0);
    EXPECT_EQ(r.options.repeat, 1u);
    EXPECT_DOUBLE_EQ(r.options.garbage, 0.0);
    EXPECT_FALSE(r.options.help);
}

TEST(SimOptions, ReadsEveryOptionInBothSpellings) {
    struct Case {
        std::vector<std::string_view> args;
        void (*check)(const SimOptions&);
    };
    const Case cases[] = {
        {{"--port", "7"}, [](const SimOptions& o) { EXPECT_EQ(o.port, 7); }},
        {{"--port=255"}, [](const SimOptions& o) { EXPECT_EQ(o.port, 255); }},
        {{"--script", "a.txt", "--rate", "0.5", "--repeat", "0"},
         [](const SimOptions& o) {
             EXPECT_EQ(o.scriptFile, "a.txt");
             EXPECT_DOUBLE_EQ(o.rate, 0.5);
             EXPECT_EQ(o.repeat, 0u);
         }},
        {{"--garbage=1", "--seed=18446744073709551615"},
         [](const SimOptions& o) {
             EXPECT_DOUBLE_EQ(o.garbage, 1.0);
             EXPECT_EQ(o.seed, 18446744073709551615ull);
         }},
        {{"--raw", "dump.bin", "--stats", "s.txt", "--port", "3"},
         [](const SimOptions& o) {
             EXPECT_EQ(o.rawFile, "dump.bin");
             EXPECT_EQ(o.statsFile, "s.txt");
         }},
        {{"--rate=1000"}, [](const SimOptions& o) { EXPECT_DOUBLE_EQ(o.rate, 1000.0); }},
        {{"--speed", "14"}, [](const SimOptions& o) { EXPECT_EQ(o.speed, 14u); }},
        {{"--help"}, [](const SimOptions& o) { EXPECT_TRUE(o.help); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const SimOptionsResult r = parse(c.args);
        ASSERT_EQ(r.error, "");
        c.check(r.options);
    }
}

TEST(SimOptions, RefusesBadCommandLines) {
    struct Case {
        std::vector<std::string_view> args;
        const char* complaint;
    };
    const Case cases[] = {
        {{"--port", "0"}, "--port '0'"},
        {{"--port", "256"}, "--port '256'"},
        {{"--port", "COM5"}, "--port 'COM5'"},
        {{"--port"}, "--port needs a value"},
        {{"--script="}, "--script needs a value"},
        {{"--rate", "0"}, "--rate '0'"},
        {{"--speed", "0"}, "--speed '0'"},
        {{"--speed", "101"}, "--speed '101'"},
        {{"--rate", "-2"}, "--rate '-2'"},
        {{"--rate", "inf"}, "--rate 'inf'"},
        {{"--rate", "2x"}, "--rate '2x'"},
        {{"--garbage", "1.5"}, "--garbage '1.5'"},
        {{"--garbage", "-0.1"}, "--garbage '-0.1'"},
        {{"--repeat", "-1", "--script", "a"}, "--repeat '-1'"},
        {{"--seed", "x"}, "--seed 'x'"},
        {{"--pace", "3"}, "unknown option '--pace'"},
        {{"script.txt"}, "unexpected argument 'script.txt'"},
        {{"--"}, "unexpected argument '--'"},
        {{"--rate", "1", "--rate", "2"}, "--rate given more than once"},
        {{"--raw", "a", "--script", "b"}, "cannot be combined with --script"},
        {{"--raw", "a", "--garbage", "0.5"}, "cannot be combined with --garbage"},
        {{"--raw", "a", "--rate", "3"}, "cannot be combined with --rate"},
        {{"--repeat", "3"}, "--repeat needs --script"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const SimOptionsResult r = parse(c.args);
        EXPECT_NE(r.error.find(c.complaint), std::string::npos) << r.error;
    }
}

}  // namespace
