#include "AnnouncementRecord.h"
#include "Schedule.h"
#include "ScheduleText.h"
#include "TestSupport.h"
#include "TimeRecord.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

#include <sstream>
#include <sys/stat.h>
#include <vector>

namespace {
const char* const c_Minimal =
    "<m_Frequency>5:00</m_Frequency><Records><Record><m_Name>intro</m_Name><Type>Custom</Type>"
    "<m_TimingTime>0:30.0</m_TimingTime><m_FinishAtTime>0</m_FinishAtTime><m_AfterMsg>0</"
    "m_AfterMsg><m_OffsetTime>0</m_OffsetTime></Record><Record><m_Name>now</m_Name><Type>Timed</"
    "Type><m_TimingTime>0:00.0</m_TimingTime><m_FinishAtTime>0</m_FinishAtTime><m_AfterMsg>1</"
    "m_AfterMsg><m_OffsetTime>0</m_OffsetTime></Record></Records>";

// The record names of each chain, in key order: "30:intro,now 60:x".
std::string Layout(const CSchedule& a_Schedule) {
    std::ostringstream out;
    for (const auto& [key, chain] : a_Schedule.Program()) {
        out << (out.tellp() > 0 ? " " : "") << key << ":";
        for (const auto& record : chain->Records())
            out << (&record == &chain->Records().front() ? "" : ",") << record->Name();
    }
    return out.str();
}

std::vector<std::string> Kinds(const CSchedule& a_Schedule) {
    std::vector<std::string> kinds;
    for (const CSchedule::Note& note : a_Schedule.Notes())
        kinds.push_back(note.m_Kind);
    return kinds;
}

class LoaderTest : public ::testing::Test {
protected:
    bool LoadText(const std::string& a_Text) { return m_Schedule.LoadText(a_Text); }

    CTempDir m_Dir;
    CVirtualPlatform m_Platform{CVirtualPlatform::Local(2024, 3, 14, 14, 30, 0)};
    std::ostringstream m_Out;
    CSchedule m_Schedule{m_Dir.Path(), m_Platform, m_Out};
};
} // namespace

TEST_F(LoaderTest, MinimalFileGivesOneChainOfTwoRecords) {
    m_Dir.Write("forVrex.xml", c_Minimal);
    ASSERT_TRUE(m_Schedule.Load());
    EXPECT_EQ(m_Schedule.FrequencySecs(), 300);
    ASSERT_EQ(m_Schedule.Program().size(), 1u);
    const auto& [key, chain] = *m_Schedule.Program().begin();
    EXPECT_EQ(key, 30.0f);
    EXPECT_TRUE(chain->AnchoredStart());
    ASSERT_EQ(chain->Records().size(), 2u);
    const CRecord* first = chain->Records().front().get();
    const auto* second = dynamic_cast<const CTimeRecord*>(chain->Records().back().get());
    EXPECT_NE(dynamic_cast<const CAnnouncementRecord*>(first), nullptr);
    EXPECT_EQ(first->Name(), "intro");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Name(), "now");
    EXPECT_EQ(second->MinOffset(), 0);
    EXPECT_EQ(m_Out.str(), "");
    EXPECT_TRUE(m_Schedule.Notes().empty());
}

TEST_F(LoaderTest, UnopenableFileIsReportedWithItsPath) {
    EXPECT_FALSE(m_Schedule.Load());
    EXPECT_EQ(m_Out.str(), m_Dir.Path() + "/forVrex.xml not opened\n");
}

TEST_F(LoaderTest, ScheduleThatIsNotARegularFileIsRefusedWithoutWaiting) {
    std::string path = m_Dir.Path() + "/forVrex.xml";
    ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    // A FIFO without a writer must neither block the open nor the read.
    EXPECT_FALSE(m_Schedule.Load());
    EXPECT_EQ(m_Out.str(), path + " is not a regular file - schedule not loaded\n");
}

TEST_F(LoaderTest, FileLargerThanSixteenMebibytesIsRefused) {
    std::string text = ScheduleFile(Rec("a", "Custom", "0:30.0"));
    m_Dir.Write("forVrex.xml", text + std::string(16 * 1024 * 1024 - text.size(), ' '));
    EXPECT_TRUE(m_Schedule.Load());
    m_Dir.Write("forVrex.xml", text + std::string(16 * 1024 * 1024 + 1 - text.size(), ' '));
    EXPECT_FALSE(m_Schedule.Load());
    EXPECT_EQ(m_Out.str(),
              m_Dir.Path() + "/forVrex.xml is larger than 16 MiB - schedule not loaded\n");
}

TEST_F(LoaderTest, IntervalLengths) {
    struct Case {
        const char* m_Value;
        int m_Secs; // 0: the load fails
    };
    const Case cases[] = {
        {"5:00", 300},   {"10:00", 600}, {"0:30", 30},   {"5:99", 399},   {"  5:00", 300},
        {"5:00 ", 300},  {"05:00 ", 0},  {"\n05:00", 0}, {"\n5:00", 300}, {"\t5:00", 300},
        {"5:0", 0},      {"123456", 0},  {":500", 0},    {"5000", 0},     {"", 0},
        {"99:99", 6039}, {"5:0x", 300},  {"a:30", 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_Value);
        CSchedule schedule(m_Dir.Path(), m_Platform, m_Out);
        EXPECT_EQ(schedule.LoadText(ScheduleFile(Rec("a", "Custom", "0:30.0"), c.m_Value)),
                  c.m_Secs != 0);
        if (c.m_Secs != 0)
            EXPECT_EQ(schedule.FrequencySecs(), c.m_Secs);
        else
            EXPECT_TRUE(schedule.Program().empty());
    }
    // Malformed intervals fail silently on the output, noted for tools.
    EXPECT_EQ(m_Out.str(), "");
}

TEST_F(LoaderTest, MissingIntervalFailsWithoutReadingRecords) {
    EXPECT_FALSE(LoadText("<Records>" + Rec("a", "Custom", "0:30.0") + "</Records>"));
    EXPECT_FALSE(LoadText(""));
    EXPECT_TRUE(m_Schedule.Program().empty());
    EXPECT_EQ(m_Out.str(), "");
    EXPECT_EQ(Kinds(m_Schedule), std::vector<std::string>{"malformed-value"});
}

TEST_F(LoaderTest, IntervalOfZeroOrLessIsRefusedWithOneLine) {
    for (const char* value : {"0:00", "-1:00", "-1:30", "0:-5"}) {
        CSchedule schedule(m_Dir.Path(), m_Platform, m_Out);
        EXPECT_FALSE(schedule.LoadText(ScheduleFile(Rec("a", "Custom", "0:30.0"), value)));
        EXPECT_TRUE(schedule.Program().empty());
    }
    EXPECT_EQ(m_Out.str(), "Interval 0:00 is not longer than zero - schedule not loaded\n"
                           "Interval -1:00 is not longer than zero - schedule not loaded\n"
                           "Interval -1:30 is not longer than zero - schedule not loaded\n"
                           "Interval 0:-5 is not longer than zero - schedule not loaded\n");
}

TEST_F(LoaderTest, MissingRecordsTagGivesAnEmptyProgram) {
    EXPECT_TRUE(LoadText(El("m_Frequency", "5:00") + Rec("a", "Custom", "0:30.0")));
    EXPECT_TRUE(m_Schedule.Program().empty());
    // A record before the list is not read; one after the list's closing tag is.
    EXPECT_TRUE(LoadText(El("m_Frequency", "5:00") + Rec("before", "Custom", "0:10.0") +
                         "<Records></Records>" + Rec("after", "Custom", "0:20.0")));
    EXPECT_EQ(Layout(m_Schedule), "20:after");
}

TEST_F(LoaderTest, AfterMessageRecordsJoinTheMostRecentChain) {
    EXPECT_TRUE(LoadText(
        ScheduleFile(Rec("orphan", "Timed", "0:10.0", true) + Rec("a", "Custom", "0:30.0") +
                     Rec("Daily", "Daily", "0:40.0") + Rec("t", "Timed", "0:50.0", true) +
                     Rec("b", "Custom", "0:20.0") + Rec("c", "Custom", "0:20.0", true))));
    EXPECT_EQ(Layout(m_Schedule), "20:b,c 30:a,t");
    EXPECT_EQ(m_Out.str(), "Record Daily with unknown type Daily found - ignored\n");
    EXPECT_EQ(Kinds(m_Schedule),
              (std::vector<std::string>{"orphan-after-message", "unknown-type"}));
    EXPECT_NE(m_Schedule.Notes()[0].m_Text.find("orphan"), std::string::npos);
}

TEST_F(LoaderTest, LaterChainWithAnEqualKeyReplacesTheEarlier) {
    EXPECT_TRUE(
        LoadText(ScheduleFile(Rec("first", "Custom", "1:00.0") + Rec("lost", "Timed", "", true) +
                              Rec("second", "Custom", "1:00.0") + Rec("kept", "Timed", "", true))));
    EXPECT_EQ(Layout(m_Schedule), "60:second,kept");
    EXPECT_EQ(Kinds(m_Schedule), std::vector<std::string>{"replaced-chain"});
    const std::string& text = m_Schedule.Notes()[0].m_Text;
    EXPECT_NE(text.find("second"), std::string::npos);
    EXPECT_NE(text.find("first"), std::string::npos);
}

TEST_F(LoaderTest, MissingElementsAreTakenFromLaterRecords) {
    std::string noTiming =
        "<Record>" + El("m_Name", "x") + El("Type", "Custom") + El("m_AfterMsg", "0") + "</Record>";
    EXPECT_TRUE(LoadText(ScheduleFile(noTiming + Rec("y", "Timed", "2:00.0", true))));
    EXPECT_EQ(Layout(m_Schedule), "120:x,y");
    // The later chain-starting record replaces the one that borrowed its key.
    EXPECT_TRUE(LoadText(ScheduleFile(noTiming + Rec("y", "Custom", "2:00.0"))));
    EXPECT_EQ(Layout(m_Schedule), "120:y");
    // Nothing later: the key is 0.
    EXPECT_TRUE(LoadText(ScheduleFile(Rec("y", "Custom", "2:00.0") + noTiming)));
    EXPECT_EQ(Layout(m_Schedule), "0:x 120:y");
}

TEST_F(LoaderTest, InheritedFinishAndOffsetComeFromTheNextRecordThatHasThem) {
    std::string bare = "<Record>" + El("m_Name", "bare") + El("Type", "Timed") +
                       El("m_TimingTime", "0:10.0") + "</Record>";
    EXPECT_TRUE(LoadText(ScheduleFile(bare + Rec("next", "Timed", "0:20.0", false, "1", "-10"))));
    const auto& program = m_Schedule.Program();
    ASSERT_EQ(program.size(), 2u);
    const auto& bareChain = program.at(10.0f);
    EXPECT_FALSE(bareChain->AnchoredStart());
    auto* record = dynamic_cast<const CTimeRecord*>(bareChain->Records().front().get());
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->MinOffset(), -10);
}

TEST_F(LoaderTest, ElementOrderIsFreeAndTheFirstOccurrenceCounts) {
    std::string rec = "<Record>" + El("m_TimingTime", "0:45.0") + El("Type", "Custom") +
                      El("m_Name", "one") + El("m_Name", "two") + El("m_TimingTime", "0:50.0") +
                      "</Record>";
    EXPECT_TRUE(LoadText(ScheduleFile(rec)));
    EXPECT_EQ(Layout(m_Schedule), "45:one");
}

TEST_F(LoaderTest, UnknownAndMissingTypesAreReportedExactly) {
    std::string noType = "<Record>" + El("m_Name", "last") + "</Record>";
    EXPECT_TRUE(LoadText(ScheduleFile(Rec("a", "custom", "0:10.0") + Rec("b", " Custom", "0:20.0") +
                                      Rec("c", "Timed\n", "0:30.0") + Rec("d", "Custom", "0:40.0") +
                                      noType)));
    EXPECT_EQ(Layout(m_Schedule), "40:d");
    EXPECT_EQ(m_Out.str(), "Record a with unknown type custom found - ignored\n"
                           "Record b with unknown type  Custom found - ignored\n"
                           "Record c with unknown type Timed\n found - ignored\n"
                           "Record last with unknown type  found - ignored\n");
    EXPECT_EQ(Kinds(m_Schedule),
              (std::vector<std::string>{"unknown-type", "unknown-type", "malformed-value",
                                        "unknown-type", "malformed-value", "unknown-type"}));
}

TEST_F(LoaderTest, UnknownTypeLeavesTheMostRecentChainInPlace) {
    EXPECT_TRUE(LoadText(ScheduleFile(Rec("a", "Custom", "0:30.0") + Rec("odd", "Daily", "0:40.0") +
                                      Rec("t", "Timed", "0:00.0", true))));
    EXPECT_EQ(Layout(m_Schedule), "30:a,t");
    EXPECT_EQ(m_Out.str(), "Record odd with unknown type Daily found - ignored\n");
}

TEST_F(LoaderTest, DistinctKeysAreKeptInAscendingOrder) {
    EXPECT_TRUE(LoadText(ScheduleFile(Rec("c", "Custom", "1:00.0") + Rec("a", "Custom", "0:30.0") +
                                      Rec("b", "Custom", "0:30.5"))));
    EXPECT_EQ(Layout(m_Schedule), "30:a 30.5:b 60:c");
}

TEST_F(LoaderTest, MalformedValuesAreNotedWithTheRecordAndTheValue) {
    EXPECT_TRUE(LoadText(ScheduleFile(Rec("a", "Custom", "1:5.0", false, "yes") +
                                      Rec("t", "Timed", "0:20.0", false, "1", "ten"))));
    EXPECT_EQ(Layout(m_Schedule), "0:a 20:t");
    EXPECT_TRUE(m_Schedule.Program().at(0.0f)->AnchoredStart());
    ASSERT_EQ(Kinds(m_Schedule),
              (std::vector<std::string>{"malformed-value", "malformed-value", "malformed-value"}));
    EXPECT_NE(m_Schedule.Notes()[0].m_Text.find("\"1:5.0\""), std::string::npos);
    EXPECT_NE(m_Schedule.Notes()[1].m_Text.find("\"yes\""), std::string::npos);
    EXPECT_NE(m_Schedule.Notes()[2].m_Text.find("\"ten\""), std::string::npos);
    for (const CSchedule::Note& note : m_Schedule.Notes())
        EXPECT_EQ(note.m_Text.find("Record "), 0u) << note.m_Text;
    EXPECT_EQ(m_Out.str(), "");
}

TEST_F(LoaderTest, EachLoadAndEachScheduleStartsWithoutAChainToJoin) {
    EXPECT_TRUE(LoadText(ScheduleFile(Rec("a", "Custom", "0:30.0"))));
    EXPECT_TRUE(LoadText(ScheduleFile(Rec("late", "Timed", "0:00.0", true))));
    EXPECT_TRUE(m_Schedule.Program().empty());
    CSchedule other(m_Dir.Path(), m_Platform, m_Out);
    EXPECT_TRUE(other.LoadText(ScheduleFile(Rec("late", "Timed", "0:00.0", true))));
    EXPECT_TRUE(other.Program().empty());
}

TEST_F(LoaderTest, ManyRecordsWithMissingElementsLoadCompletely) {
    // Keys 0.0 to 999.9 s, a tenth of a second apart, within a 20-minute interval.
    std::string records;
    for (int i = 0; i < 10000; ++i)
        records +=
            "<Record>" + El("m_Name", "r" + std::to_string(i)) + El("Type", "Custom") +
            El("m_TimingTime", std::to_string(i / 600) + ":" + (i / 10 % 60 < 10 ? "0" : "") +
                                   std::to_string(i / 10 % 60) + "." + std::to_string(i % 10)) +
            "</Record>";
    records += Rec("end", "Custom", "0:00.0", false, "1");
    EXPECT_TRUE(LoadText(ScheduleFile(records, "20:00")));
    ASSERT_EQ(m_Schedule.Program().size(), 10000u);
    // Every record borrows the finishing flag of the last one.
    EXPECT_FALSE(m_Schedule.Program().at(999.9f)->AnchoredStart());
    EXPECT_EQ(m_Schedule.Program().at(0.0f)->Records().front()->Name(), "end");
}

TEST_F(LoaderTest, KeysOutsideTheIntervalAreIgnoredWithOneLineEach) {
    // 5:00.0 ends exactly at the next interval's start and stays; 5:00.1 and far-off keys would
    // speak another interval's time or hold every nearer chain back.
    EXPECT_TRUE(
        LoadText(ScheduleFile(Rec("a", "Custom", "0:01.0") + Rec("b", "Custom", "5:00.0") +
                              Rec("c", "Custom", "5:00.1") + Rec("d", "Custom", "99999:00.0"))));
    std::vector<float> keys;
    for (const auto& entry : m_Schedule.Program())
        keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<float>{1.0f, 300.0f}));
    EXPECT_EQ(m_Out.str(),
              "Chain with offset 300.1 lies outside the interval of 300 seconds - "
              "ignored\n"
              "Chain with offset 5.99994e+06 lies outside the interval of 300 seconds - "
              "ignored\n");
    ASSERT_EQ(m_Schedule.Notes().size(), 2u);
    EXPECT_EQ(m_Schedule.Notes()[0].m_Kind, "key-beyond-interval");
}

TEST_F(LoaderTest, NotesOfAHostileFileAreBounded) {
    std::string records;
    for (int i = 0; i < 5000; ++i)
        records += "<Record><Type>Daily</Type></Record>";
    EXPECT_TRUE(LoadText(ScheduleFile(records)));
    ASSERT_EQ(m_Schedule.Notes().size(), 1001u);
    EXPECT_EQ(m_Schedule.Notes().back().m_Kind, "more-notes");
}
