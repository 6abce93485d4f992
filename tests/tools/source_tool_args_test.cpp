// The command line vrnasm and vrncc share: each argument read as the tools always read it, the
// status a run ends with, and what goes to standard output and standard error.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/common/source_tool_args.h"

namespace corvane::test {
namespace {

std::string readBack(std::FILE* f) {
    std::string text;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) text += char(c);
    return text;
}

struct Outcome {
    std::optional<int> status;
    std::string out, err;
    SourceToolArgs args;
    std::vector<std::string> sources;
    std::vector<std::string> defines;  // "NAME" or "NAME=VALUE" as the hook saw them
    std::vector<std::string> flags;
};

// A tool that takes one source (a second is too many), the flag -g, and refuses -D with the
// value "bad".
Outcome read(std::vector<std::string> words, bool dashIsSource = false) {
    Outcome o;
    SourceToolCommand command{"tool", "1.2", "usage: tool\n"};
    command.dashIsSource = dashIsSource;
    command.flag = [&](const std::string& arg) {
        if (arg != "-g") return false;
        o.flags.push_back(arg);
        return true;
    };
    command.source = [&](const std::string& arg) {
        if (!o.sources.empty()) return false;
        o.sources.push_back(arg);
        return true;
    };
    command.define = [&](const Definition& d) {
        o.defines.push_back(d.value ? d.name + "=" + *d.value : d.name);
        return d.value != "bad";
    };
    words.insert(words.begin(), "tool");
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    // The two streams as files of the test's own folder, read back once the run has ended.
    const TempDir dir("corvane-tool-args");
    std::FILE* out = std::fopen((dir / "out.txt").string().c_str(), "w+");
    std::FILE* err = std::fopen((dir / "err.txt").string().c_str(), "w+");
    EXPECT_TRUE(out && err);
    if (!out || !err) {
        if (out) std::fclose(out);
        if (err) std::fclose(err);
        return o;
    }
    o.status = readSourceToolArgs(int(argv.size()), argv.data(), command, o.args, out, err);
    o.out = readBack(out);
    o.err = readBack(err);
    std::fclose(out);
    std::fclose(err);
    return o;
}

using Words = std::vector<std::string>;

TEST(SourceToolArgs, ValuesAttachedOrSeparate) {
    const Outcome o = read(
        {"a.s", "-o", "x.vrn", "-Iinc", "-I", "lib", "-DA", "-D", "B=2", "-DC=", "-D=5", "-g"});
    EXPECT_FALSE(o.status);
    EXPECT_EQ(o.args.output, "x.vrn");
    EXPECT_EQ(o.args.includeDirs, (Words{"inc", "lib"}));
    EXPECT_EQ(o.defines, (Words{"A", "B=2", "C=", "=5"}));
    EXPECT_EQ(o.sources, (Words{"a.s"}));
    EXPECT_EQ(o.flags, (Words{"-g"}));
    EXPECT_EQ(o.out + o.err, "");

    // The last -o wins; a value that looks like an option is still the value.
    const Outcome last = read({"-oone", "-o", "-two", "a.s"});
    EXPECT_FALSE(last.status);
    EXPECT_EQ(last.args.output, "-two");
    EXPECT_EQ(last.sources, (Words{"a.s"}));
}

TEST(SourceToolArgs, WhatEndsARunAndHowItSaysSo) {
    const std::string usage = "usage: tool\n";
    struct Case {
        Words words;
        int status;
        std::string out, err;
    };
    const Case cases[] = {
        {{"--help"}, 0, usage, ""},
        {{"-h", "a.s"}, 0, usage, ""},
        {{"a.s", "--version"}, 0, "tool 1.2\n", ""},
        {{"--version", "--frob"}, 0, "tool 1.2\n", ""},  // left to right: the first decides
        {{"--frob", "--help"}, 2, "", "tool: unknown option --frob\n" + usage},
        {{"a.s", "-o"}, 2, "", usage},
        {{"-I"}, 2, "", usage},
        {{"a.s", "-D"}, 2, "", usage},
        {{"-gx"}, 2, "", "tool: unknown option -gx\n" + usage},
        {{"-"}, 2, "", "tool: unknown option -\n" + usage},
        {{"a.s", "b.s"}, 2, "", usage},
        {{"-Dx=bad", "--help"}, 2, "", ""},  // the tool said why itself
    };
    for (const Case& c : cases) {
        const Outcome o = read(c.words);
        SCOPED_TRACE(testing::PrintToString(c.words));
        ASSERT_TRUE(o.status);
        EXPECT_EQ(*o.status, c.status);
        EXPECT_EQ(o.out, c.out);
        EXPECT_EQ(o.err, c.err);
    }
}

TEST(SourceToolArgs, ADashAloneIsASourceWhereTheToolSaysSo) {
    const Outcome o = read({"-"}, true);
    EXPECT_FALSE(o.status);
    EXPECT_EQ(o.sources, (Words{"-"}));
    // An empty argument is no option either way.
    EXPECT_EQ(read({""}).sources, (Words{""}));
    EXPECT_EQ(*read({"-x"}, true).status, 2);
}

TEST(SourceToolArgs, TheDefaultImageSitsBesideTheSource) {
    EXPECT_EQ(defaultImagePath("game.s"), "game.vrn");
    EXPECT_EQ(defaultImagePath("dir/game.c"), "dir/game.vrn");
    EXPECT_EQ(defaultImagePath("dir.v2/game"), "dir.v2/game.vrn");
    EXPECT_EQ(defaultImagePath("a.b.c"), "a.b.vrn");
}

}  // namespace
}  // namespace corvane::test
