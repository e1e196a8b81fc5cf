#include "edit/Timetable.h"
#include "shared/StarterSchedule.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
// A one-line schedule of 5:00 around the records a_Records, with a_Top before them.
std::string Schedule(const std::string& a_Records, const std::string& a_Top = "") {
    return "<m_Frequency>5:00</m_Frequency><!-- <m_Name>x</m_Name> -->" + a_Top + "<Records>" +
           a_Records + "</Records>";
}

std::string Record(const std::string& a_Name, const std::string& a_Key,
                   const std::string& a_More = "") {
    return "<Record><m_Name>" + a_Name + "</m_Name><Type>Custom</Type><m_TimingTime>" + a_Key +
           "</m_TimingTime>" + a_More + "</Record>";
}

CTimetable::CRow Row(const std::string& a_Name, const std::string& a_Key) {
    CTimetable::CRow row;
    row.m_Name = a_Name;
    row.m_Type = "Custom";
    row.m_Key = a_Key;
    return row;
}

struct Edit {
    const char* m_What;
    std::string m_Before;
    std::function<void(CTimetable&)> m_Change;
    std::string m_After; // exactly; empty: only that it reads as changed
};
// Names each case by what it edits, in the test's name and its failures.
void PrintTo(const Edit& a_Edit, std::ostream* a_Out) {
    *a_Out << a_Edit.m_What;
}

const std::string c_Starter = CStarterSchedule::Text(300);

const Edit c_Edits[] = {
    {"nothing changed", c_Starter, [](CTimetable&) {}, c_Starter},
    {"a key, a comment and an unknown element kept", Schedule(Record("a", "0:30.0", "<C>1</C>")),
     [](CTimetable& t) { t.m_Rows[0].m_Key = "1:00.0"; },
     Schedule(Record("a", "1:00.0", "<C>1</C>"))},
    {"a value borrowed from the next record written into the record that borrowed it",
     Schedule("<Record><m_Name>a</m_Name><Type>Custom</Type></Record>" + Record("b", "0:30.0")),
     [](CTimetable& t) { t.m_Rows[1].m_Key = "1:00.0"; },
     Schedule("<Record><m_Name>a</m_Name><Type>Custom</Type><m_TimingTime>0:30.0</m_TimingTime>"
              "</Record>" +
              Record("b", "1:00.0"))},
    {"a value missing from a record written on a line of its own",
     "<m_Frequency>5:00</m_Frequency>\n<Records>\n  <Record>\n    <m_Name>a</m_Name>\n  </Record>",
     [](CTimetable& t) { t.m_Rows[0].m_Offset = 5; },
     "<m_Frequency>5:00</m_Frequency>\n<Records>\n  <Record>\n    <m_Name>a</m_Name>\n    "
     "<m_OffsetTime>5</m_OffsetTime>\n  </Record>"},
    {"the interval, and the keys at its end moved with it", c_Starter,
     [](CTimetable& t) {
         t.m_Interval = "10:00";
         EXPECT_EQ(t.MoveKeys(300, 600), 2u);
     },
     ""},
    {"a record added before </Records>", Schedule(Record("a", "0:30.0")),
     [](CTimetable& t) { t.m_Rows.push_back(Row("b", "1:00.0")); },
     Schedule(Record("a", "0:30.0") +
              CStarterSchedule::RecordText("b", "Custom", "1:00.0", false, false))},
    {"a record removed with the comment before it",
     Schedule(Record("a", "0:30.0") + "<!-- b -->" + Record("b", "1:00.0")),
     [](CTimetable& t) { t.m_Rows.pop_back(); }, Schedule(Record("a", "0:30.0"))},
    {"two records swapped, each with its comment",
     Schedule("<!-- a -->" + Record("a", "0:30.0") + "<!-- b -->" + Record("b", "1:00.0")),
     [](CTimetable& t) { std::swap(t.m_Rows[0], t.m_Rows[1]); },
     Schedule("<!-- b -->" + Record("b", "1:00.0") + "<!-- a -->" + Record("a", "0:30.0"))},
    {"the calendar: added outside the records and inside its own record, changed where it is",
     Schedule(Record("a", "0:30.0") + Record("b", "1:00.0", "<m_When>Sat</m_When>"),
              "<m_LeadIn>0:00.5</m_LeadIn>"),
     [](CTimetable& t) {
         t.m_Quiet = "22:00-06:00";
         t.m_LeadIn = "0:01.0";
         t.m_Rows[0].m_When = "Mon-Fri";
     },
     Schedule(Record("a", "0:30.0", "<m_When>Mon-Fri</m_When>") +
                  Record("b", "1:00.0", "<m_When>Sat</m_When>"),
              "<m_LeadIn>0:01.0</m_LeadIn><m_Quiet>22:00-06:00</m_Quiet>")},
    {"a schedule that did not load given an interval", "<m_Frequency>5</m_Frequency>",
     [](CTimetable& t) { t.m_Interval = "5:00"; }, "<m_Frequency>5:00</m_Frequency>"},
};

class TimetableTest : public ::testing::TestWithParam<Edit> {};
} // namespace

TEST_P(TimetableTest, WritesOnlyWhatChangedAndReadsAsEdited) {
    CTimetable table = CTimetable::Read(GetParam().m_Before);
    GetParam().m_Change(table);
    std::string text = GetParam().m_Before, why;
    ASSERT_TRUE(table.WriteInto(text, why)) << why;
    if (!GetParam().m_After.empty()) {
        EXPECT_EQ(text, GetParam().m_After);
    }
    CTimetable read = CTimetable::Read(text);
    EXPECT_TRUE(read.m_Loads);
    EXPECT_EQ(std::tie(read.m_Interval, read.m_Quiet, read.m_LeadIn, read.m_Greeting),
              std::tie(table.m_Interval, table.m_Quiet, table.m_LeadIn, table.m_Greeting));
    ASSERT_EQ(read.m_Rows.size(), table.m_Rows.size()) << text;
    for (std::size_t i = 0; i < read.m_Rows.size(); ++i) {
        const CTimetable::CRow &got = read.m_Rows[i], &want = table.m_Rows[i];
        EXPECT_EQ(
            std::tie(got.m_Name, got.m_Type, got.m_Key, got.m_Finish, got.m_After, got.m_Offset),
            std::tie(want.m_Name, want.m_Type, want.m_Key, want.m_Finish, want.m_After,
                     want.m_Offset))
            << "row " << i << " of\n"
            << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Edits, TimetableTest, ::testing::ValuesIn(c_Edits));

TEST(TimetableTest, RefusesAValueThatWouldBeATagAndChangesNothing) {
    std::string text = Schedule(Record("a", "0:30.0")), why;
    CTimetable table = CTimetable::Read(text);
    table.m_Rows[0].m_Name = "a</m_Name>";
    EXPECT_FALSE(table.WriteInto(text, why));
    EXPECT_EQ(text, Schedule(Record("a", "0:30.0")));
    EXPECT_NE(why.find("cannot hold <"), std::string::npos) << why;
}
