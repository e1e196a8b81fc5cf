#include "CheckJson.h"
#include "CheckText.h"
#include "CtlSupport.h"
#include "Planner.h"
#include "ProcessSupport.h"
#include "ScheduleText.h"
#include "ScopedTimeZone.h"
#include "StickCheck.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <functional>
#include <sstream>

namespace {
CTimeVal At(int a_Hour, int a_Min, int a_Sec) {
    return CVirtualPlatform::Local(2024, 3, 14, a_Hour, a_Min, a_Sec);
}

// intro (2 s) finishing at 2:00, followed by the time: the chain of a sound stick.
const std::string c_Intro120 =
    Rec("intro", "Custom", "2:00.0", false, "1") + Rec("now", "Timed", "2:00.0", true);

// A stick mounted at Mount(): its schedule directory "show" holds every time sound (0.5 s)
// and intro.wav (2 s).
class CtlCheckTest : public ::testing::Test {
protected:
    CtlCheckTest() {
        WriteTimeSounds(m_Dir, "show/times", 0.5);
        WriteWav(m_Dir, "show/intro.wav", 2.0);
    }
    std::string Mount() const { return m_Dir.Path(); }
    std::string Show() const { return m_Dir.Path() + "/show"; }
    void Schedule(const std::string& a_Records, const std::string& a_Frequency = "5:00") {
        m_Dir.Write("show/forVrex.xml", ScheduleFile(a_Records, a_Frequency));
    }
    CCheckReport Check() { return CStickCheck::Run(Mount(), At(14, 31, 5)); }
    std::string Text(const CCheckReport& a_Report) {
        std::ostringstream out;
        CCheckText::Write(a_Report, out);
        return out.str();
    }

    CScopedTimeZone m_Zone{"UTC0"};
    CTempDir m_Dir;
};

TEST_F(CtlCheckTest, CleanStickHasNoFindingsAndListsItsChains) {
    Schedule(c_Intro120 + Rec("intro", "Custom", "0:10.0") +
             Rec("now", "Timed", "0:10.0", true, "0", "-3"));
    CCheckReport report = Check();
    EXPECT_TRUE(report.m_Loaded);
    EXPECT_EQ(report.ExitStatus(), 0);
    EXPECT_EQ(report.m_Dir, Show()); // found one level below the mount point, as at start-up
    EXPECT_EQ(report.m_FrequencySecs, 300);
    EXPECT_EQ(report.m_TimeSounds, 93u);
    EXPECT_EQ(report.m_AnnouncementSounds, 1u);
    EXPECT_TRUE(report.m_Findings.empty()) << Text(report);
    EXPECT_EQ(report.m_AnnounceTime, At(14, 35, 0));
    ASSERT_EQ(report.m_Chains.size(), 2u);
    const CChainInfo& first = report.m_Chains[0];
    EXPECT_EQ(first.m_Key, 10.0f);
    EXPECT_TRUE(first.m_AnchoredStart);
    EXPECT_EQ(first.m_Duration, 3.0f); // intro, cdnum14, cdnum32
    ASSERT_EQ(first.m_Records.size(), 2u);
    EXPECT_EQ(first.m_Records[1].m_Kind, "time");
    EXPECT_EQ(first.m_Records[1].m_MinOffset, -3);
    const CChainInfo& second = report.m_Chains[1];
    EXPECT_EQ(second.m_Key, 120.0f);
    EXPECT_FALSE(second.m_AnchoredStart);
    EXPECT_EQ(second.m_Records[0].m_Kind, "announcement");
    EXPECT_EQ(second.m_Records[0].m_Name, "intro");
    std::string text = Text(report);
    EXPECT_NE(text.find("  10     starts at its key, lasts 3.00 s\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  120    finishes at its key, lasts 3.00 s\n"), std::string::npos);
    EXPECT_NE(text.find("time         \"now\", -3 min\n"), std::string::npos);
    EXPECT_NE(text.find("No problems found: the stick is usable."), std::string::npos);
}

TEST_F(CtlCheckTest, ScheduleDirectoryItselfIsAcceptedToo) {
    Schedule(c_Intro120);
    EXPECT_EQ(CStickCheck::Run(Show() + "/", At(14, 31, 5)).m_Dir, Show());
}

// One stick per kind of finding: each gives exactly the findings named, nothing else.
struct FindingCase {
    const char* m_Name;
    std::function<void(const CTempDir&)> m_Files;
    std::string m_Records;
    std::vector<std::string> m_Kinds;
    std::string m_Text; // part of the first finding's text
};

// Keeps test names short and stable (the default printer dumps the bytes of the lambda).
void PrintTo(const FindingCase& a_Case, std::ostream* a_Os) {
    *a_Os << a_Case.m_Name;
}

class CtlCheckFindingTest : public CtlCheckTest,
                            public ::testing::WithParamInterface<FindingCase> {};

TEST_P(CtlCheckFindingTest, ReportsExactlyItsFinding) {
    GetParam().m_Files(m_Dir);
    Schedule(GetParam().m_Records);
    CCheckReport report = Check();
    EXPECT_TRUE(report.m_Loaded);
    EXPECT_EQ(report.ExitStatus(), 0); // warnings leave the stick usable
    EXPECT_EQ(FindingKinds(report), GetParam().m_Kinds) << Text(report);
    ASSERT_FALSE(report.m_Findings.empty());
    EXPECT_NE(report.m_Findings[0].m_Text.find(GetParam().m_Text), std::string::npos)
        << report.m_Findings[0].m_Text;
    EXPECT_NE(Text(report).find("The stick is usable; the problems above"), std::string::npos);
}

void None(const CTempDir&) {}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CtlCheckFindingTest,
    ::testing::Values(
        FindingCase{"Refused",
                    [](const CTempDir& d) { d.Write("show/stereo.wav", WavBytes(400, 2)); },
                    c_Intro120,
                    {"refused"},
                    "stereo.wav: Unable to handle this format - only 44100 Bytes/sec supported."},
        FindingCase{"ZeroLength",
                    [](const CTempDir& d) { d.Write("show/empty.wav", WavBytes(0)); },
                    c_Intro120,
                    {"zero-length"},
                    "empty.wav: it holds no samples"},
        FindingCase{"ShortName",
                    [](const CTempDir& d) { d.Write("show/sub/.wav", WavBytes(400)); },
                    c_Intro120,
                    {"short-name"},
                    "sub/.wav: its name gives no sound name"},
        FindingCase{"Replaced",
                    [](const CTempDir& d) { WriteWav(d, "show/old/intro.wav", 1.0); },
                    c_Intro120,
                    {"replaced"},
                    "Two files give the sound intro: "},
        FindingCase{"MissingAnnouncement",
                    None,
                    c_Intro120 + Rec("outro", "Custom", "4:00.0"),
                    {"missing-announcement"},
                    "Announcement \"outro\" (chain 240) is not on the stick"},
        // Every five minutes the minutes are multiples of five: cdnum07 is never spoken.
        FindingCase{
            "MissingTimeSoundNotNeeded",
            [](const CTempDir& d) { ::remove((d.Path() + "/show/times/cdnum07.wav").c_str()); },
            c_Intro120,
            {"missing-time-sounds"},
            "Time sounds missing from the complete set: cdnum07; this schedule needs "
            "none of them"},
        FindingCase{
            "MissingTimeSoundNeeded",
            [](const CTempDir& d) { ::remove((d.Path() + "/show/times/cdnum35.wav").c_str()); },
            c_Intro120,
            {"missing-time-sounds", "needed-time-sounds-missing"},
            "cdnum35"},
        FindingCase{"UnknownType",
                    None,
                    c_Intro120 + Rec("x", "Daily", "3:00.0"),
                    {"unknown-type"},
                    "Record x has type \"Daily\""},
        FindingCase{"OrphanAfterMessage",
                    None,
                    Rec("now", "Timed", "0:00.0", true) + c_Intro120,
                    {"orphan-after-message"},
                    "Record now follows a message"},
        FindingCase{"ReplacedChain",
                    None,
                    Rec("intro", "Custom", "2:00.0") + c_Intro120,
                    {"replaced-chain"},
                    "replaces the chain"},
        FindingCase{"MalformedValue",
                    None,
                    Rec("intro", "Custom", "2:00"),
                    {"malformed-value"},
                    "m_TimingTime \"2:00\" is not M:SS.T"},
        FindingCase{"LongerThanKey",
                    None,
                    Rec("intro", "Custom", "0:01.0", false, "1"),
                    {"longer-than-key"},
                    "Chain 1 finishes at its key but lasts up to 2 s, longer than its key: it "
                    "is skipped in 288 of the day's 288 intervals"},
        FindingCase{"RunsPastNext",
                    None,
                    Rec("intro", "Custom", "1:00.0") + Rec("intro", "Custom", "1:01.0"),
                    {"runs-past-next"},
                    "Chain 60 plays until up to 62 s into its interval, past the start of chain "
                    "61: that chain is then skipped or starts late, in 288 of"},
        FindingCase{"RunsPastNextInterval",
                    None,
                    Rec("intro", "Custom", "0:01.0") + Rec("intro", "Custom", "4:59.5"),
                    {"runs-past-next"},
                    "past the start of chain 1 in the next interval"},
        FindingCase{"KeyBeyondInterval",
                    None,
                    c_Intro120 + Rec("intro", "Custom", "6:00.0"),
                    {"key-beyond-interval"},
                    "Chain 360: its key is not within the 300 s"},
        FindingCase{"EmptyProgram", None, "", {"empty-program"}, "no chains"}),
    [](const ::testing::TestParamInfo<FindingCase>& a_Info) { return a_Info.param.m_Name; });

TEST_F(CtlCheckTest, RefusedFilesGiveTheReadersMessageAndOneConversionHint) {
    m_Dir.Write("show/a.wav", WavBytes(400, 1, 44100));
    m_Dir.Write("show/b.wav", WavBytes(400, 1, 22050, 8));
    Schedule(c_Intro120);
    CCheckReport report = Check();
    ASSERT_EQ(FindingKinds(report), (std::vector<std::string>{"refused", "refused"}));
    std::set<std::string> details{report.m_Findings[0].m_Detail, report.m_Findings[1].m_Detail};
    EXPECT_EQ(details, (std::set<std::string>{
                           "Unable to handle this format - only 22050 Hz supported.",
                           "Unable to handle this format - only 16 bits/sample supported."}));
    std::string text = Text(report);
    const std::string hint = "convert with: sox IN.wav -r 22050 -c 1 -b 16 -e signed-integer";
    ASSERT_NE(text.find(hint), std::string::npos) << text;
    EXPECT_EQ(text.find(hint), text.rfind(hint)); // said once
}

TEST_F(CtlCheckTest, TheConversionHintMakesARefusedFilePlayable) {
    if (!HaveProgram("sox"))
        GTEST_SKIP() << "sox is not installed";
    std::string cd = m_Dir.Write("show/cd/outro.wav", WavBytes(88200 * 2, 2, 44100)); // 1 s
    Schedule(c_Intro120 + Rec("outro", "Custom", "4:00.0"));
    std::vector<std::string> argv;
    std::istringstream words(
        FindingOf(Check(), "refused").m_Hint.substr(std::string("convert with: ").size()));
    for (std::string word; words >> word;)
        argv.push_back(word == "IN.wav" ? cd : word == "OUT.wav" ? Show() + "/outro.wav" : word);
    ASSERT_EQ(RunProgram(argv), 0);
    ::remove(cd.c_str());
    CCheckReport report = Check();
    EXPECT_TRUE(report.m_Findings.empty()) << Text(report);
    EXPECT_EQ(report.m_Chains.back().m_Duration, 1.0f);
}

TEST_F(CtlCheckTest, MissingAnnouncementHintsSayWhatIsWrong) {
    WriteWav(m_Dir, "show/Outro.wav", 1.0);
    m_Dir.Write("show/jingle.wav", WavBytes(400, 2));
    Schedule(c_Intro120 + Rec("outro", "Custom", "0:10.0") + Rec("cdnum14", "Custom", "0:20.0") +
             Rec("jingle", "Custom", "0:30.0") + Rec("gone", "Custom", "0:40.0") +
             Rec("gone", "Custom", "0:50.0"));
    CCheckReport report = Check();
    std::map<std::string, const CCheckFinding*> missing;
    for (const CCheckFinding& finding : report.m_Findings)
        if (finding.m_Kind == "missing-announcement")
            missing[finding.m_SoundName] = &finding;
    ASSERT_EQ(missing.size(), 4u) << Text(report);
    EXPECT_EQ(missing["outro"]->m_Hint,
              "the stick has " + Show() + "/Outro.wav: names must match in letter case");
    EXPECT_NE(missing["cdnum14"]->m_Hint.find("cdnum14 is a time sound name"), std::string::npos);
    EXPECT_EQ(missing["jingle"]->m_Hint,
              "its file " + Show() + "/jingle.wav was left out, see above");
    EXPECT_EQ(missing["gone"]->m_Hint, "put a file gone.wav anywhere below " + Show());
    EXPECT_EQ(missing["gone"]->m_Keys, (std::vector<float>{40, 50}));
    EXPECT_NE(missing["gone"]->m_Text.find("(chain 40, 50)"), std::string::npos);
}

TEST_F(CtlCheckTest, NeededTimeSoundsFollowTheMinuteOffsetOverTheWholeDay) {
    for (const char* name : {"cdnum07", "cdnum35", "cdhour03", "cdnum23"})
        ::remove((Show() + "/times/" + name + ".wav").c_str());
    // Two minutes on: 2, 7 ... 57 minutes past each hour, never on the hour; 23 is spoken only
    // as an hour (23:02 on), 07 only as minutes.
    Schedule(Rec("intro", "Custom", "2:00.0") + Rec("now", "Timed", "0:00.0", true, "0", "2"));
    CCheckReport report = Check();
    EXPECT_EQ(FindingOf(report, "missing-time-sounds").m_Names,
              (std::vector<std::string>{"cdhour03", "cdnum07", "cdnum23", "cdnum35"}));
    EXPECT_EQ(FindingOf(report, "needed-time-sounds-missing").m_Names,
              (std::vector<std::string>{"cdnum07", "cdnum23"}));
}

TEST_F(CtlCheckTest, ChainsThatLookFineNeedNoFinding) {
    // Back to back exactly: the chain at 60 ends at 62, where the next one starts.
    Schedule(Rec("intro", "Custom", "1:00.0") + Rec("intro", "Custom", "1:02.0") +
             Rec("intro", "Custom", "0:02.0", false, "1"));
    CCheckReport report = Check();
    EXPECT_TRUE(report.m_Findings.empty()) << Text(report);
}

TEST_F(CtlCheckTest, TheSchedulerSkipsWhatCheckSaysItSkips) {
    // Chain 61 starts while chain 60 still plays; chain 1 lasts longer than its key.
    Schedule(Rec("intro", "Custom", "1:00.0") + Rec("intro", "Custom", "1:01.0") +
             Rec("intro", "Custom", "0:01.0", false, "1"));
    CCheckReport report = Check();
    ASSERT_EQ(FindingKinds(report),
              (std::vector<std::string>{"longer-than-key", "runs-past-next"}));
    std::ostringstream out, err;
    ASSERT_EQ(CPlanner::Run(Show(), At(14, 0, 0), 12, out, err), 0);
    std::istringstream lines(out.str());
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_NE(line.find("\t60\tintro"), std::string::npos) << line;
    EXPECT_EQ(count, 12);
}

TEST_F(CtlCheckTest, ScheduleThatDoesNotLoadMakesTheStickUnusable) {
    Schedule(c_Intro120, "5:0");
    CCheckReport report = Check();
    EXPECT_FALSE(report.m_Loaded);
    EXPECT_EQ(report.ExitStatus(), 1);
    EXPECT_FALSE(report.m_Messages.empty());
    EXPECT_EQ(FindingKinds(report), std::vector<std::string>{"malformed-value"});
    std::string text = Text(report);
    EXPECT_NE(text.find("The stick is not usable.\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Chains in key order"), std::string::npos);
}

TEST_F(CtlCheckTest, ZeroIntervalIsExplainedByTheLoadersLine) {
    Schedule(c_Intro120, "0:00");
    CCheckReport report = Check();
    EXPECT_EQ(report.ExitStatus(), 1);
    ASSERT_EQ(report.m_Messages.size(), 1u);
    EXPECT_NE(report.m_Messages[0].find("0:00"), std::string::npos) << report.m_Messages[0];
}

TEST_F(CtlCheckTest, NoScheduleDirectoryMakesTheStickUnusable) {
    // Neither a hidden directory nor one two levels down is searched.
    m_Dir.Write(".hidden/forVrex.xml", ScheduleFile(c_Intro120));
    m_Dir.Write("show/deeper/forVrex.xml", ScheduleFile(c_Intro120));
    CCheckReport report = Check();
    EXPECT_EQ(report.ExitStatus(), 1);
    EXPECT_TRUE(report.m_Dir.empty());
    ASSERT_EQ(report.m_Messages.size(), 1u);
    EXPECT_EQ(report.m_Messages[0], "no schedule directory: neither " + Mount() +
                                        " nor any directory directly below it holds forVrex.xml");
    EXPECT_EQ(Text(report), report.m_Messages[0] + "\nThe stick is not usable.\n");
}

TEST_F(CtlCheckTest, MissingOrPlainFileGivenIsExplained) {
    CCheckReport missing = CStickCheck::Run(Mount() + "/nothing", At(14, 0, 0));
    EXPECT_EQ(missing.m_Messages,
              std::vector<std::string>{Mount() + "/nothing: No such file or directory"});
    CCheckReport file = CStickCheck::Run(Show() + "/intro.wav", At(14, 0, 0));
    EXPECT_EQ(file.m_Messages, std::vector<std::string>{Show() + "/intro.wav: not a directory"});
    EXPECT_EQ(file.ExitStatus(), 1);
}

TEST_F(CtlCheckTest, FileNamesCannotWriteControlCharactersToTheTerminal) {
    m_Dir.Write("show/\x1b[2Jred\n.wav", WavBytes(400, 2));
    m_Dir.Write("show/caf\xc3\xa9\xff.wav", WavBytes(0));
    Schedule(c_Intro120);
    std::string text = Text(Check());
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_NE(text.find("\\x1B[2Jred\\x0A.wav: Unable"), std::string::npos) << text;
    EXPECT_NE(text.find("caf\xc3\xa9\\xFF.wav"), std::string::npos) << text; // UTF-8 kept
}

TEST_F(CtlCheckTest, JsonHoldsTheSameFindings) {
    m_Dir.Write("show/stereo\xff.wav", WavBytes(400, 2));
    Schedule(c_Intro120 + Rec("outro", "Custom", "4:00.0"));
    std::ostringstream out;
    CCheckJson::Write(Check(), out);
    nlohmann::json json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["usable"], true);
    EXPECT_EQ(json["directory"], Show());
    EXPECT_EQ(json["interval_secs"], 300);
    EXPECT_EQ(json["announce_time"], "14:35:00");
    ASSERT_EQ(json["chains"].size(), 2u);
    EXPECT_EQ(json["chains"][0]["key"], 120.0);
    EXPECT_EQ(json["chains"][0]["anchored_start"], false);
    EXPECT_EQ(json["chains"][0]["duration"], 3.0);
    EXPECT_EQ(json["chains"][0]["records"][1]["kind"], "time");
    ASSERT_EQ(json["findings"].size(), 2u);
    EXPECT_EQ(json["findings"][0]["kind"], "refused");
    EXPECT_EQ(json["findings"][0]["path"], Show() + "/stereo\xef\xbf\xbd.wav"); // U+FFFD
    EXPECT_EQ(json["findings"][0]["detail"],
              "Unable to handle this format - only 44100 Bytes/sec supported.");
    EXPECT_EQ(json["findings"][1]["kind"], "missing-announcement");
    EXPECT_EQ(json["findings"][1]["sound"], "outro");
    EXPECT_EQ(json["findings"][1]["keys"], nlohmann::json::array({240.0}));
}

TEST_F(CtlCheckTest, JsonOfAnUnusableStick) {
    std::ostringstream out;
    CCheckJson::Write(CStickCheck::Run(Mount(), At(14, 0, 0)), out);
    nlohmann::json json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["usable"], false);
    EXPECT_TRUE(json["directory"].is_null());
    EXPECT_EQ(json["messages"].size(), 1u);
    EXPECT_FALSE(json.contains("chains"));
}
} // namespace
