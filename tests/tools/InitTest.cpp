#include "CtlSupport.h"
#include "Wave.h"
#include "check/StickCheck.h"
#include "prepare/Speech.h"
#include "prepare/StarterStick.h"
#include "prepare/TimeWords.h"

#include <gtest/gtest.h>

#include <unistd.h>

TEST(InitTest, MakesAStickThatChimesAndSpeaksTheTimeAsTheIntervalEnds) {
    CTempDir stick;
    ASSERT_EQ(RunCtl({"init", stick.Path()}).m_Status, 0);
    for (const char* rel : {"chime.wav", "time-is.wav", "times/cdnum35.wav", "times/cdhour00.wav"})
        EXPECT_TRUE(CWave(stick.Path() + "/announcer/" + rel).isValid()) << rel;
    EXPECT_EQ(FindingKinds(CStickCheck::Run(stick.Path(), CTimeVal())), "");
    ASSERT_EQ(RunCtl({"import", stick.WriteWav("in/hello.wav", 1), stick.Path()}).m_Status, 0);
    EXPECT_TRUE(CWave(stick.Path() + "/announcer/hello.wav").isValid()) << "a stick's recording";
    std::string plan = RunCtl({"plan", stick.Path(), "--at", "14:30:00", "--count", "2"}).m_Out;
    EXPECT_EQ(plan.substr(0, 29), "14:30:30.000\t30\tchime\n14:34:5") << "ends as 14:35 begins";
    EXPECT_EQ(plan.substr(34), "\t300\ttime-is 14:35\n");
    std::string xml = ReadFile(stick.Path() + "/announcer/forVrex.xml");
    for (std::size_t at = 0; (at = xml.find("<!--", at)) != std::string::npos; ++at)
        EXPECT_EQ(xml.substr(at, xml.find("-->", at) - at).find_first_of("<>", 4),
                  std::string::npos);
}

// The shortest interval that init names passes check --strict; a shorter one makes nothing.
TEST(InitTest, RefusesAnIntervalTooShortForItsChainsNamingTheShortest) {
    CTempDir dir;
    CCtlResult refused = RunCtl({"init", dir.Path() + "/short", "--interval", "0:08"});
    std::size_t at = refused.m_Err.find("give --interval ") + 16;
    ASSERT_EQ(refused.m_Status, 1);
    ASSERT_NE(refused.m_Err.find("0:08 is too short for the starter schedule"), std::string::npos)
        << refused.m_Err;
    EXPECT_NE(::access((dir.Path() + "/short").c_str(), F_OK), 0);
    std::string shortest = refused.m_Err.substr(at, refused.m_Err.find(' ', at) - at);
    ASSERT_EQ(RunCtl({"init", dir.Path() + "/fits", "--interval", shortest}).m_Status, 0);
    CCheckReport report = CStickCheck::Run(dir.Path() + "/fits", CTimeVal());
    EXPECT_EQ(report.ExitStatus(true), 0) << shortest << ": " << FindingKinds(report);
}

// Each case: where the stick holds a schedule already, and the directory init then says holds
// one too, which the board may find first ("" for none; nullptr where that depends on the order
// the file system lists the directories in).
TEST(InitTest, RefusesAStickWithAScheduleUnlessForcedKeepingOtherRecordings) {
    const std::pair<const char*, const char*> cases[] = {
        {"announcer/forVrex.xml", ""}, {"old/forVrex.xml", nullptr}, {"forVrex.xml", "."}};
    for (const auto& [schedule, other] : cases) {
        CTempDir stick;
        stick.Write(schedule, "<Schedule/>");
        std::string welcome = stick.WriteWav("announcer/welcome.wav", 1.0);
        CCtlResult refused = RunCtl({"init", stick.Path()});
        EXPECT_EQ(refused.m_Status, 1) << schedule;
        EXPECT_NE(refused.m_Err.find("already holds a schedule"), std::string::npos) << schedule;
        EXPECT_EQ(ReadFile(stick.Path() + "/" + schedule), "<Schedule/>") << schedule;
        CCtlResult forced = RunCtl({"init", stick.Path(), "--force", "--interval", "0:15"});
        EXPECT_EQ(forced.m_Status, 0);
        std::string warning = "Warning: " + stick.Path() +
                              " holds a schedule too, and the board may use that one: remove or "
                              "rename its forVrex.xml\n";
        if (other) {
            EXPECT_EQ(forced.m_Out.find("Warning"),
                      *other ? forced.m_Out.find(warning) : std::string::npos)
                << schedule << ": " << forced.m_Out;
        }
        EXPECT_TRUE(CWave(welcome).isValid()) << schedule;
        EXPECT_NE(ReadFile(stick.Path() + "/announcer/forVrex.xml").find("<m_TimingTime>0:07.5<"),
                  std::string::npos)
            << "the chime half-way into a short interval";
    }
    for (const char* bad :
         {"0:00", "60:01", "5:60", "5", "1:5", "100:00", "x:00", "5:00 ", "45:00", "0:07"})
        EXPECT_EQ(RunCtl({"init", "stick", "--interval", bad}).m_Err,
                  "quillanectl: --interval: not an interval M:SS that divides the hour, such as "
                  "5:00, 10:00, 15:00 or 30:00 (see quillanectl --help)\n")
            << bad;
}

// The studio page goes to the top of the stick, where the board never looks and check does
// not mind it; --force writes it anew. A page that cannot be read stops init with the reason,
// before anything is written.
TEST(InitTest, PutsTheStudioPageAtTheTopOfTheStick) {
    CTempDir build;
    const std::string page = build.Write("quillane-studio.html", "<!DOCTYPE html><title>S</title>");
    const std::tuple<std::string, bool, bool, const char*> cases[] = {
        // page, force, made, says
        {"", false, true, "time sounds in times/ (voice en)\nNext:"},
        {page, false, true, "quillane-studio.html: open it in a browser, on any computer"},
        {page, true, true, "quillane-studio.html: open it in a browser, on any computer"},
        {build.Path() + "/gone.html", false, false, "cannot read "},
    };
    for (const auto& [given, force, made, says] : cases) {
        CTempDir stick;
        if (force)
            stick.Write("quillane-studio.html", "an older page");
        std::ostringstream out;
        std::string why;
        bool done = CStarterStick(stick.Path(), force, out, given)
                        .Make(300, CSpeech("en"), CTimeWords::English(), why);
        EXPECT_EQ(done, made) << given << ": " << why;
        EXPECT_NE((out.str() + why).find(says), std::string::npos) << out.str() << why;
        if (!made) {
            EXPECT_NE(::access((stick.Path() + "/announcer").c_str(), F_OK), 0) << given;
            continue;
        }
        std::string top = stick.Path() + "/" + CStarterStick::c_PageName;
        EXPECT_EQ(ReadFile(top), given.empty() ? "" : ReadFile(page)) << "none, or the page itself";
        EXPECT_EQ(FindingKinds(CStickCheck::Run(stick.Path(), CTimeVal())), "") << given;
    }
}
