#include "CtlSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

TEST(UsageTest, CommandsSayWhatHappenedInTheirStatusAndOutput) {
    CScopedEnv zone("TZ", "UTC0");
    CTempDir dir;
    const std::string d = dir.Path();
    dir.Write("bad/show/forVrex.xml", ScheduleFile("", "5:0"));
    dir.Write("zero/show/forVrex.xml", ScheduleFile("", "0:00"));
    dir.Write("empty/show/forVrex.xml", ScheduleFile(""));
    dir.Write("deep/show/deeper/forVrex.xml", "");
    WriteTimeSounds(dir, "good/show", 0.5);
    dir.WriteWav("good/show/intro.wav", 2.0);
    dir.Write("good/show/forVrex.xml", ScheduleFile(Rec("intro", "Custom", "0:30.0", false, "1") +
                                                    Rec("now", "Timed", "", true, "0", "-5") +
                                                    Rec("gone", "Custom", "1:00.0")));
    std::filesystem::copy(d + "/good", d + "/half", std::filesystem::copy_options::recursive);
    std::filesystem::remove(d + "/half/show/cdnum05.wav");
    // clang-format off
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{}, 2, "see quillanectl --help"},
        {{"frobnicate"}, 2, "unknown command frobnicate: use check, plan, run, voice, import or init"},
        {{"check"}, 2, "DIR is required"},
        {{"plan", d, "--at", "25:00:00"}, 2, "not a time of day HH:MM:SS"},
        {{"--help"}, 0, "Checks a Quillane stick"},
        {{"plan", d + "/good", "--at", "10:59:59", "--count", "3"}, 0,
         "11:00:27.500\t30\tintro 11:00\n11:01:00.000\t60\t!gone\n11:05:27.000\t30\tintro 11:05\n"},
        {{"plan", d + "/half", "--at", "11:04:59", "--count", "1"}, 0, "11:05:27.500\t30\tintro cdnum11 !cdnum05\n"},
        {{"plan", d + "/good", "--at", "10:59:59", "--count", "2", "--json"}, 0,
         "[\n  {\"start\":\"11:00:27.500\",\"key\":30.0,\"sounds\":[\"intro\",\"cdhour11\"],\"missing\":[],"
         "\"spoken\":[\"11:00\"]},\n  {\"start\":\"11:01:00.000\",\"key\":60.0,\"sounds\":[\"gone\"],"
         "\"missing\":[\"gone\"],\"spoken\":[]}\n]\n"},
        {{"check", d + "/none"}, 1, d + "/none: No such file or directory"},
        {{"run", d + "/bad/show/forVrex.xml"}, 1, "forVrex.xml: not a directory"},
        {{"check", d + "/deep"}, 1, "no schedule directory: neither " + d + "/deep nor any directory"},
        {{"check", d + "/bad"}, 1, "The stick is not usable."},
        {{"check", d + "/zero"}, 1, "Interval 0:00 is not longer than zero"},
        {{"plan", d + "/bad"}, 1, "quillanectl: the schedule in " + d + "/bad/show cannot be loaded"},
        {{"run", "--device", "null", d + "/bad"}, 1, "cannot be loaded: quillanectl check " + d + "/bad says why"},
        {{"plan", d + "/empty"}, 0, "nothing plays within two days of schedule time; stopping"},
        {{"init", d + "/new"}, 0, "Made " + d + "/new, which was not there yet\nMade " + d + "/new/announcer: "},
        {{"plan", d + "/good", "--count", "1", "--svg", d}, 1, "cannot write " + d + ": Is a directory"},
        {{"check", "/"}, 1, "no schedule directory: neither / nor any directory directly below"},
    };
    // clang-format on
    for (const auto& [args, status, words] : cases) {
        CCtlResult result = RunCtl(args);
        EXPECT_EQ(result.m_Status, status) << words;
        EXPECT_NE((result.m_Out + result.m_Err).find(words), std::string::npos)
            << result.m_Out << result.m_Err;
    }
    // A stick that cannot be loaded was never in use, so it is not reported as removed.
    EXPECT_EQ(RunCtl({"run", "--device", "null", d + "/zero"}).m_Out.find("removed"),
              std::string::npos);
    for (std::vector<std::string> args : {std::vector<std::string>{"check", "--json", d + "/good"},
                                          {"plan", d + "/good"},
                                          {"voice", "--print-words"}}) {
        std::ofstream full("/dev/full"); // a full disk
        CCtlResult result = RunCtl(args, &full);
        EXPECT_EQ(result.m_Status, 1) << args[0];
        EXPECT_NE(result.m_Err.find("could not be written"), std::string::npos) << result.m_Err;
    }
}
