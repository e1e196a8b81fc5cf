#include "CtlSupport.h"
#include "ScheduleText.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {
// A usage error: nothing on standard output, one line on standard error, status 2.
struct UsageCase {
    std::vector<std::string> m_Args;
    std::string m_Line;
};

void PrintTo(const UsageCase& a_Case, std::ostream* a_Os) {
    *a_Os << "quillanectl";
    for (const std::string& arg : a_Case.m_Args)
        *a_Os << ' ' << ::testing::PrintToString(arg);
}

class CtlUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CtlUsageTest, OneLineAndStatusTwo) {
    CCtlResult result = RunCtl(GetParam().m_Args);
    EXPECT_EQ(result.m_Status, 2);
    EXPECT_EQ(result.m_Out, "");
    EXPECT_EQ(result.m_Err, "quillanectl: " + GetParam().m_Line + " (see quillanectl --help)\n");
}

INSTANTIATE_TEST_SUITE_P(
    Errors, CtlUsageTest,
    ::testing::Values(
        UsageCase{{}, "A subcommand is required"},
        UsageCase{{"bogus"}, "unknown command bogus: use check, plan, run, voice, import or init"},
        UsageCase{{"-x"}, "unknown option -x: use check, plan, run, voice, import or init"},
        UsageCase{{"bogus\x1b[2J"},
                  "unknown command bogus\\x1B[2J: use check, plan, run, voice, import or init"},
        UsageCase{{"check"}, "DIR is required"}, UsageCase{{"plan"}, "DIR is required"},
        UsageCase{{"run"}, "DIR is required"},
        UsageCase{{"check", "a", "b"}, "The following argument was not expected: b"},
        UsageCase{{"check", "--verbose", "a"},
                  "The following argument was not expected: --verbose"},
        UsageCase{{"plan", "d", "--at", "25:00:00"}, "--at: not a time of day HH:MM:SS"},
        UsageCase{{"plan", "d", "--at"}, "--at: 1 required HH:MM:SS missing"},
        UsageCase{{"plan", "d", "--count", "0"}, "--count: Value 0 not in range 1 to 1000000"},
        UsageCase{{"plan", "d", "--count", "x"}, "--count: Value x not in range 1 to 1000000"},
        UsageCase{{"run", "d", "--json"}, "The following argument was not expected: --json"}));

TEST(CtlHelpTest, HelpOnTheProgramAndEachCommand) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--help"}, "Usage: quillanectl [OPTIONS] SUBCOMMAND"},
        {{"-h"}, "Usage: quillanectl [OPTIONS] SUBCOMMAND"},
        {{"check", "--help"}, "Usage: quillanectl check [OPTIONS] DIR"},
        {{"plan", "--help"}, "Usage: quillanectl plan [OPTIONS] DIR"},
        {{"run", "-h"}, "Usage: quillanectl run [OPTIONS] DIR"}};
    for (const auto& [args, usage] : cases) {
        CCtlResult result = RunCtl(args);
        EXPECT_EQ(result.m_Status, 0) << usage;
        EXPECT_NE(result.m_Out.find(usage), std::string::npos) << result.m_Out;
        EXPECT_NE(result.m_Out.find("Exit status: 0"), std::string::npos);
        EXPECT_EQ(result.m_Err, "");
    }
    std::string top = RunCtl({"--help"}).m_Out;
    for (const char* command : {"check", "plan", "run"})
        EXPECT_NE(top.find(std::string("\n  ") + command + " "), std::string::npos) << command;
    std::string plan = RunCtl({"plan", "--help"}).m_Out;
    EXPECT_NE(plan.find("--at HH:MM:SS"), std::string::npos) << plan;
    EXPECT_NE(plan.find("--count N"), std::string::npos) << plan;
    EXPECT_NE(RunCtl({"check", "--help"}).m_Out.find("--json"), std::string::npos);
}

TEST(CtlStatusTest, NoScheduleDirectoryGivesStatusOneForEveryCommand) {
    CTempDir dir;
    for (const char* command : {"check", "plan", "run"}) {
        CCtlResult result = RunCtl({command, dir.Path() + "/missing"});
        EXPECT_EQ(result.m_Status, 1) << command;
        std::string line = dir.Path() + "/missing: No such file or directory";
        if (std::string(command) == "check")
            EXPECT_EQ(result.m_Out, line + "\nThe stick is not usable.\n");
        else
            EXPECT_EQ(result.m_Err, "quillanectl: " + line + "\n") << command;
    }
}

TEST(CtlStatusTest, CheckStatusFollowsUsability) {
    CTempDir dir;
    dir.Write("show/forVrex.xml", ScheduleFile(Rec("intro", "Custom", "0:10.0")));
    CCtlResult usable = RunCtl({"check", dir.Path()});
    EXPECT_EQ(usable.m_Status, 0); // a missing recording is a warning
    EXPECT_NE(usable.m_Out.find("Announcement \"intro\""), std::string::npos) << usable.m_Out;
    CCtlResult json = RunCtl({"check", "--json", dir.Path()});
    EXPECT_EQ(json.m_Status, 0);
    EXPECT_EQ(json.m_Out.substr(0, 1), "{");
    dir.Write("show/forVrex.xml", ScheduleFile(Rec("intro", "Custom", "0:10.0"), "junk"));
    EXPECT_EQ(RunCtl({"check", dir.Path()}).m_Status, 1);
    EXPECT_EQ(RunCtl({"check", "--json", dir.Path()}).m_Status, 1);
}

TEST(CtlStatusTest, RunEndsWithStatusOneWhenTheScheduleDoesNotLoad) {
    CTempDir dir;
    dir.Write("forVrex.xml", ScheduleFile("", "5:0"));
    CCtlResult result = RunCtl({"run", dir.Path()});
    EXPECT_EQ(result.m_Status, 1);
    EXPECT_EQ(result.m_Err, "");
}
} // namespace
