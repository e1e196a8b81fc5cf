#include "Schedule.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <unistd.h>

namespace {
// What the loader tells of the elements added to the format: the quiet hours, lead-in and
// greeting, then each record's m_When ("-" for none, "[text]" for one read) and whether the
// record starts ("s") or joins ("j") a chain.
class CHeard : public CScheduleObserver {
public:
    void RecordRead(const CRecordRead& a_Record) override {
        m_Heard += std::string(" ") + (a_Record.m_StartsChain ? "s" : "j") + Of(a_Record.m_When);
    }
    void ChainLeftOut(ELeftOut, float) override {}
    void TopLevelRead(const CTopLevelRead& a_Read) override {
        m_Heard += Of(a_Read.m_Quiet) + Of(a_Read.m_LeadIn) + Of(a_Read.m_Greeting);
    }
    static std::string Of(const CValue& a_Value) {
        return a_Value.m_Pos == std::string::npos ? "-" : "[" + a_Value.m_Value + "]";
    }
    std::string m_Heard;
};

// A schedule loaded from a_Text; its lines go to m_Out.
struct CLoaded {
    explicit CLoaded(const std::string& a_Text) : m_Loads(m_Schedule.LoadText(a_Text, &m_Heard)) {}
    // The record names of each chain in key order, e.g. "30:intro,now 60:x"; a "*" after the key
    // when the chain has an m_When.
    std::string Layout() const {
        std::ostringstream out;
        for (const auto& [key, chain] : m_Schedule.Program()) {
            out << (out.tellp() > 0 ? " " : "") << key << (chain->When() ? "*" : "") << ":";
            for (const auto& record : chain->Records())
                out << (&record == &chain->Records().front() ? "" : ",") << record->Name();
        }
        return out.str();
    }
    CVirtualPlatform m_Platform{At(14, 30)};
    std::ostringstream m_Out;
    CSchedule m_Schedule{"/nowhere", m_Platform, m_Out};
    CHeard m_Heard;
    bool m_Loads;
};
} // namespace

// Each case: the text, where the search starts, where the opening tag is found, the value, and
// the value read as a whole number and as M:SS.T seconds. Comments, from "<!--" to the next "-->"
// (which may not share its dashes), are invisible.
TEST(ScheduleTest, ScannerReadsValuesByPlainTagSearch) {
    const std::size_t npos = std::string::npos;
    // clang-format off
    const std::tuple<const char*, std::size_t, std::size_t, const char*, int, float> cases[] = {
        {"<v>x</v>", 0, 0, "x", 0, 0}, {"<v>x</v>", 1, npos, "", 0, 0}, {"<v>x</v>", 99, npos, "", 0, 0},
        {"<v>1<v>2</v>3</v>", 0, 0, "1<v>2", 1, 0}, {"</v><v>1</v>", 0, 4, "", 0, 0},
        {"</v><v>1</v>", 1, 4, "1", 1, 0},
        {"<v>", 0, 0, "", 0, 0}, {"<vv>1</vv><v>2</v>", 0, 10, "2", 2, 0}, {"<v>12abc</v>", 0, 0, "12abc", 12, 0},
        {"<v> \t\n-4</v>", 0, 0, " \t\n-4", -4, 0}, {"<v>true</v>", 0, 0, "true", 0, 0},
        {"<v>0:30.0</v>", 0, 0, "0:30.0", 0, 30}, {"<v>2:00.5</v>", 0, 0, "2:00.5", 2, 120.5},
        {"<v>10:00.0</v>", 0, 0, "10:00.0", 10, 600}, {"<v>1:00</v>", 0, 0, "1:00", 1, 0},
        {"<v>1:5.0</v>", 0, 0, "1:5.0", 1, 0}, {"<v>99999:00.0</v>", 0, 0, "99999:00.0", 99999, 5999940},
        {"<!-- <v>1</v> --><v>2</v>", 0, 0, "2", 2, 0}, {"<v>a<!-- x -->b</v>", 0, 0, "ab", 0, 0},
        {"<v>1</v><!-- <v>2</v>", 1, npos, "", 0, 0}, {"<!--><v>1</v>--><v>2</v>", 0, 0, "2", 2, 0},
        {"<!----><v>1</v>", 0, 0, "1", 1, 0}, {"<!---><v>1</v>--><v>2</v>", 0, 0, "2", 2, 0},
        {"<v>99999999999</v>", 0, 0, "99999999999", INT_MAX, 0},
        {"<v>-9999999999</v>", 0, 0, "-9999999999", INT_MIN, 0},
    };
    // clang-format on
    for (const auto& [text, from, pos, value, number, secs] : cases) {
        CElementScanner scanner;
        scanner.SetText(text);
        int asNumber = 0;
        float asSecs = 0;
        CElementScanner::ParseInt(scanner.ElementVal(from, "v"), asNumber);
        CElementScanner::ParseTime(scanner.ElementVal(from, "v"), asSecs);
        EXPECT_EQ(scanner.ElementPos(from, "v"), pos) << text << " from " << from;
        EXPECT_EQ(scanner.ElementVal(from, "v"), value) << text << " from " << from;
        EXPECT_EQ(asNumber, number) << text;
        EXPECT_EQ(asSecs, secs) << text;
    }
}

TEST(ScheduleTest, IntervalLengths) {
    // clang-format off
    const std::pair<const char*, int> cases[] = {
        {"5:00", 300}, {"10:00", 600}, {"0:30", 30}, {"5:99", 399}, {"  5:00", 300}, {"5:00 ", 300},
        {"\n5:00", 300}, {"05:00 ", 0}, {"\n05:00", 0}, {"5:0", 0}, {"123456", 0}, {":500", 0},
        {"5000", 0}, {"", 0}, {"0:00", 0},
    };
    // clang-format on
    for (const auto& [value, secs] : cases) {
        CLoaded loaded(ScheduleFile(Rec("a", "Custom", "0:30.0"), value));
        EXPECT_EQ(loaded.m_Loads ? loaded.m_Schedule.FrequencySecs() : 0, secs) << value;
        EXPECT_EQ(loaded.Layout(), secs ? "30:a" : "") << value;
    }
    EXPECT_EQ(CLoaded(ScheduleFile("", "-1:00")).m_Out.str(),
              "Interval -1:00 is not longer than zero - schedule not loaded\n");
}

TEST(ScheduleTest, RecordsFormChainsByKey) {
    const std::string noKey =
        "<Record><m_Name>x</m_Name><Type>Custom</Type><m_AfterMsg>0</m_AfterMsg></Record>";
    // clang-format off
    const std::tuple<std::string, const char*, const char*> cases[] = {
        {"<m_Frequency>5:00</m_Frequency><Records>" + Rec("intro", "Custom", "0:30.0") +
             Rec("now", "Timed", "0:00.0", true) + "</Records>", "30:intro,now", ""},
        {ScheduleFile(Rec("orphan", "Timed", "0:10.0", true) + Rec("a", "Custom", "0:30.0") +
             Rec("Daily", "Daily", "0:40.0") + Rec("t", "Timed", "0:50.0", true) +
             Rec("b", "Custom", "0:20.0") + Rec("c", "Custom", "0:20.0", true)),
         "20:b,c 30:a,t", "Record Daily with unknown type Daily found - ignored\n"},
        {ScheduleFile(Rec("first", "Custom", "1:00.0") + Rec("lost", "Timed", "", true) +
             Rec("second", "Custom", "1:00.0") + Rec("kept", "Timed", "", true)), "60:second,kept", ""},
        {ScheduleFile(noKey + Rec("y", "Timed", "2:00.0", true)), "120:x,y", ""},
        {ScheduleFile(Rec("y", "Custom", "2:00.0") + noKey), "0:x 120:y", ""},
        {ScheduleFile("<Record><m_TimingTime>0:45.0</m_TimingTime><Type>Custom</Type>"
             "<m_Name>one</m_Name><m_Name>two</m_Name></Record>"), "45:one", ""},
        {ScheduleFile(Rec("a", " Custom", "0:20.0") + Rec("d", "Custom", "0:40.0") +
             "<Record><m_Name>last</m_Name></Record>"), "40:d",
         "Record a with unknown type  Custom found - ignored\nRecord last with unknown type  found - ignored\n"},
        {"<m_Frequency>5:00</m_Frequency>" + Rec("before", "Custom", "0:10.0") + "<Records></Records>" +
             Rec("after", "Custom", "0:20.0"), "20:after", ""},
        {ScheduleFile(Rec("a", "Custom", "0:30.0") + "<!-- switched off:" + Rec("b", "Custom", "0:40.0") + "-->"),
         "30:a", ""},
        {ScheduleFile(Rec("c", "Custom", "1:00.0") + Rec("a", "Custom", "0:30.0") +
             Rec("b", "Custom", "0:30.5") + Rec("d", "Custom", "5:00.1")), "30:a 30.5:b 60:c",
         "Chain with offset 300.1 lies outside the interval of 300 seconds - ignored\n"},
    };
    // clang-format on
    for (const auto& [text, layout, printed] : cases) {
        CLoaded loaded(text);
        EXPECT_TRUE(loaded.m_Loads) << text;
        EXPECT_EQ(loaded.Layout(), layout) << text;
        EXPECT_EQ(loaded.m_Out.str(), printed) << text;
    }
    // A new load starts without a chain to join.
    CLoaded twice(ScheduleFile(Rec("a", "Custom", "0:30.0")));
    EXPECT_TRUE(twice.m_Schedule.LoadText(ScheduleFile(Rec("late", "Timed", "0:00.0", true))));
    EXPECT_EQ(twice.Layout(), "");
}

// The schedule's own new elements are read outside Records only; an m_When only inside its own
// record, and it counts only where the record starts a chain. Each case: the text, what the
// observer heard, the layout, the lead-in, the greeting, whether 14:30 is quiet, the lines.
TEST(ScheduleTest, ReadsQuietLeadInGreetingAndEachRecordsOwnWhen) {
    CScopedEnv zone("TZ", "UTC0");
    const std::string a = Rec("a", "Custom", "0:30.0"),
                      top = "<m_Quiet>14:00-15:00</m_Quiet>"
                            "<m_LeadIn>0:01.5</m_LeadIn><m_Greeting> hello\n</m_Greeting>";
    const std::string ignored = " is not a time from 0:00.1 to 0:05.0 - ignored\n";
    auto leadIn = [&a](const char* a_Value) {
        return "<m_LeadIn>" + std::string(a_Value) + "</m_LeadIn>" + ScheduleFile(a);
    };
    // clang-format off
    const std::tuple<std::string, const char*, const char*, float, const char*, bool, std::string> cases[] = {
        {top + ScheduleFile(a), "[14:00-15:00][0:01.5][ hello\n] s-", "30:a", 1.5f, "hello", true, ""},
        {ScheduleFile(a + top), "--- s-", "30:a", 0, "", false, ""},
        {ScheduleFile(a) + top, "[14:00-15:00][0:01.5][ hello\n] s-", "30:a", 1.5f, "hello", true, ""},
        {ScheduleFile(a + "<m_Quiet>Sun</m_Quiet>") + "<m_Quiet>14:30-14:31</m_Quiet>", "[14:30-14:31]-- s-",
         "30:a", 0, "", true, ""},
        {"<m_Frequency>5:00</m_Frequency><Records>" + a + top, "--- s-", "30:a", 0, "", false, ""},
        {"<m_Frequency>5:00</m_Frequency>" + top, "[14:00-15:00][0:01.5][ hello\n]", "", 1.5f, "hello", true, ""},
        {leadIn(" 0:05.0 "), "-[ 0:05.0 ]- s-", "30:a", 5, "", false, ""},
        {leadIn("0:00.1"), "-[0:00.1]- s-", "30:a", 0.1f, "", false, ""},
        {leadIn("0:05.1"), "-[0:05.1]- s-", "30:a", 0, "", false, "Lead-in 0:05.1" + ignored},
        {leadIn("0:00.0"), "-[0:00.0]- s-", "30:a", 0, "", false, "Lead-in 0:00.0" + ignored},
        {leadIn(" "), "-[ ]- s-", "30:a", 0, "", false, ""},
        {ScheduleFile(When(a, "Sat") + When(Rec("b", "Timed", "", true), "Sun") + Rec("c", "Custom", "0:40.0") +
                      When(Rec("d", "Custom", "0:50.0"), "Mon")),
         "--- s[Sat] j[Sun] s- s[Mon]", "30*:a,b 40:c 50*:d", 0, "", false, ""},
        {ScheduleFile("<Record><m_When>Sat" + a.substr(8) + "<Record></m_When>" + Rec("b", "Custom", "0:40.0").substr(8)),
         "--- s[] s-", "30:a 40:b", 0, "", false, ""},
        {ScheduleFile(When(a, "Holidays")), "--- s[Holidays]", "30:a", 0, "", false, ""},
    };
    // clang-format on
    for (const auto& [text, heard, layout, secs, greeting, quiet, printed] : cases) {
        CLoaded loaded(text);
        EXPECT_EQ(loaded.m_Heard.m_Heard, heard) << text;
        EXPECT_EQ(loaded.Layout(), layout) << text;
        EXPECT_EQ(loaded.m_Schedule.LeadInSecs(), secs) << text;
        EXPECT_EQ(loaded.m_Schedule.Greeting(), greeting) << text;
        EXPECT_EQ(loaded.m_Schedule.Quiet().Covers(At(14, 30)), quiet) << text;
        EXPECT_EQ(loaded.m_Out.str(), printed) << text;
    }
}

// A file that cannot be read through (here the process's own memory, which fails at its
// start) is reported, not waited on.
TEST(ScheduleTest, SaysWhenTheFileCannotBeReadThrough) {
    CTempDir dir;
    ASSERT_EQ(::symlink("/proc/self/mem", (dir.Path() + "/forVrex.xml").c_str()), 0);
    std::ostringstream out;
    CSchedule schedule(dir.Path(), out);
    EXPECT_FALSE(schedule.Load());
    EXPECT_EQ(out.str(), schedule.FileName() + " could not be read: Input/output error\n");
}

// The largest schedule file read is 16 MiB; one a byte larger is not read at all.
TEST(ScheduleTest, ReadsAFileOfUpToSixteenMebibytes) {
    const std::string text = ScheduleFile(Rec("a", "Custom", "0:30.0"));
    for (std::int64_t bytes : {CSchedule::c_MaxFileBytes, CSchedule::c_MaxFileBytes + 1}) {
        CTempDir dir;
        dir.Write("forVrex.xml", text + std::string(std::size_t(bytes) - text.size(), ' '));
        std::ostringstream out;
        CSchedule schedule(dir.Path(), out);
        bool fits = bytes == CSchedule::c_MaxFileBytes;
        EXPECT_EQ(schedule.Load(), fits) << bytes;
        EXPECT_EQ(out.str(), fits ? ""
                                  : schedule.FileName() + " is larger than 16 MiB - "
                                                          "schedule not loaded\n");
    }
}
