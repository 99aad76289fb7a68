// The regex object and its commands: storage words, syntax and case flags,
// whole-text matching, failures that answer false.
#include <gtest/gtest.h>
#include <windows.h>
#include "commands_test_util.h"

using namespace cmdtest;

namespace {

// A regex variable as application code keeps it: an 8-byte zero-filled block.
struct RegexVariable {
    RegexVariable() {
        storage = static_cast<uint32_t*>(AllocMemory(8));
        storage[0] = storage[1] = 0;
        Call(RegexCommands, kCmdRegexInit, {Arg()});
    }
    ~RegexVariable() {
        Call(RegexCommands, kCmdRegexFree, {Arg()});
        FreeMemory(storage);
    }
    ArgValue Arg() const { return {W(storage), 0, kTypeRegex}; }
    bool Create(const char* pattern) { return Call(RegexCommands, kCmdRegexCreate, {Arg(), Txt(pattern)}).low != 0; }
    bool Create(const char* pattern, bool caseSensitive) {
        return Call(RegexCommands, kCmdRegexCreate, {Arg(), Txt(pattern), Bool(caseSensitive)}).low != 0;
    }
    bool Match(const char* text) { return Call(RegexCommands, kCmdRegexMatch, {Arg(), Txt(text)}).low != 0; }
    uint32_t* storage;
};

}  // namespace

TEST(Regex, InitFillsTheStorage) {
    RegexVariable re;
    EXPECT_NE(0u, re.storage[0]);
    EXPECT_EQ(1u, re.storage[1]);
}

TEST(Regex, FontNamePattern) {
    ASSERT_EQ(936u, GetACP());
    RegexVariable re;
    ASSERT_TRUE(re.Create("^[^A-Za-z@].*"));
    struct Case {
        const char* name;
        bool matches;
    } cases[] = {
        {"宋体", true}, {"Arial", false}, {"@宋体", false}, {"1Font", true}, {"微软雅黑", true},
        {"zeta", false}, {"_x", true}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.matches, re.Match(c.name)) << c.name;
}

TEST(Regex, SyntaxCaseFlagsAndWholeTextMatching) {
    struct Case {
        const char* pattern;
        int caseFlag;  // -1 omitted, 0 false, 1 true
        const char* text;
        bool compiles;
        bool matches;
    } cases[] = {
        {"ab", 0, "AB", true, true},
        {"ab", -1, "AB", true, false},
        {"ab", 1, "AB", true, false},
        {"b", -1, "abc", true, false},  // the whole text must match
        {"b", -1, "b", true, true},
        {"a.c", -1, "abc", true, true},
        {"\\d+", -1, "12345", true, true},  // Perl syntax
        {"(\\w+)@(\\w+)\\.com", -1, "me@host.com", true, true},
        {"a|b", -1, "b", true, true},
        {"^abc$", -1, "abc", true, true},
        {"x\\s?y", -1, "x y", true, true},
        {"(", -1, "(", false, false},
        {"[a-", -1, "a", false, false},
        {"a{2,1}", -1, "aa", false, false},
        {"*", -1, "*", false, false},
    };
    for (const auto& c : cases) {
        RegexVariable re;
        bool compiled = c.caseFlag < 0 ? re.Create(c.pattern) : re.Create(c.pattern, c.caseFlag != 0);
        EXPECT_EQ(c.compiles, compiled) << c.pattern;
        EXPECT_EQ(c.matches, re.Match(c.text)) << c.pattern << " on " << c.text;
    }
}

TEST(Regex, ReplacementFailureAndMissingHolder) {
    RegexVariable re;
    EXPECT_FALSE(re.Match("anything")) << "never compiled";
    ASSERT_TRUE(re.Create("a+"));
    EXPECT_TRUE(re.Match("aaa"));
    ASSERT_TRUE(re.Create("b+"));
    EXPECT_FALSE(re.Match("aaa")) << "the new pattern replaced the old";
    EXPECT_TRUE(re.Match("bb"));
    EXPECT_FALSE(re.Create("(b"));
    EXPECT_TRUE(re.Match("bb")) << "a failed compilation keeps the old pattern";

    // Storage without a holder: both commands answer false.
    uint32_t bare[2] = {0, 1};
    ArgValue object = {W(bare), 0, kTypeRegex};
    EXPECT_EQ(0u, Call(RegexCommands, kCmdRegexCreate, {object, Txt("a")}).low);
    EXPECT_EQ(0u, Call(RegexCommands, kCmdRegexMatch, {object, Txt("a")}).low);
    Call(RegexCommands, kCmdRegexFree, {object});

    // A freed object forgets its holder: matching or freeing again is harmless.
    uint32_t storage[2] = {0, 0};
    ArgValue freed = {W(storage), 0, kTypeRegex};
    Call(RegexCommands, kCmdRegexInit, {freed});
    ASSERT_NE(0u, Call(RegexCommands, kCmdRegexCreate, {freed, Txt("x")}).low);
    Call(RegexCommands, kCmdRegexFree, {freed});
    EXPECT_EQ(0u, storage[0]);
    EXPECT_EQ(0u, Call(RegexCommands, kCmdRegexMatch, {freed, Txt("x")}).low);
    Call(RegexCommands, kCmdRegexFree, {freed});
}

TEST(Regex, LineModeAndEngineLimits) {
    RegexVariable re;
    ASSERT_TRUE(re.Create("a$\\nb"));
    EXPECT_TRUE(re.Match("a\nb")) << "line mode 1: $ matches before a line feed";
    re.storage[1] = 0;
    EXPECT_FALSE(re.Match("a\nb")) << "line mode 0: $ only at the very end";
    re.storage[1] = 1;
    // Catastrophic backtracking hits the engine's complexity limit: false, no crash.
    ASSERT_TRUE(re.Create("(a*)*(b*)*(a*)*(b*)*c"));
    EXPECT_FALSE(re.Match(std::string(40, 'a').append(40, 'b').append(1, 'x').c_str()));
}
