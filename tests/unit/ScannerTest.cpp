#include "ScheduleProbe.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {
constexpr std::size_t npos = std::string::npos;

CScheduleProbe Element(const std::string& a_Value) {
    return CScheduleProbe("<v>" + a_Value + "</v>");
}
} // namespace

TEST(ScannerTest, FindsTagsAndValuesOfTheSampleText) {
    CScheduleProbe probe("<a>x</a><b> 7 </b><c></c>");
    EXPECT_EQ(probe.Pos(0, "a"), 0u);
    EXPECT_EQ(probe.EndPos(0, "a"), 4u);
    EXPECT_EQ(probe.Val(0, "a"), "x");
    EXPECT_EQ(probe.Val(0, "b"), " 7 ");
    EXPECT_EQ(probe.Int(0, "b"), 7);
    EXPECT_TRUE(probe.Bool(0, "b"));
    EXPECT_EQ(probe.Val(0, "c"), "");
    EXPECT_EQ(probe.Int(0, "c"), 0);
    // From position 1 the opening tag of a is behind the search: no value, though </a> follows.
    EXPECT_EQ(probe.Pos(1, "a"), npos);
    EXPECT_EQ(probe.EndPos(1, "a"), 4u);
    EXPECT_EQ(probe.Val(1, "a"), "");
}

TEST(ScannerTest, MissingNamesAndPositionsBeyondTheTextGiveEmptyResults) {
    CScheduleProbe probe("<a>x</a><b> 7 </b><c></c>");
    for (const char* name : {"d", "A", "", "a>"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(probe.Pos(0, name), npos);
        EXPECT_EQ(probe.Val(0, name), "");
        EXPECT_EQ(probe.Int(0, name), 0);
        EXPECT_FALSE(probe.Bool(0, name));
        EXPECT_EQ(probe.Time(0, name), 0.0f);
    }
    for (std::size_t pos : {std::size_t(25), std::size_t(26), std::size_t(1000), npos}) {
        EXPECT_EQ(probe.Pos(pos, "c"), npos);
        EXPECT_EQ(probe.EndPos(pos, "c"), npos);
        EXPECT_EQ(probe.Val(pos, "c"), "");
    }
}

TEST(ScannerTest, TagsMatchExactlyAndIgnoreDocumentStructure) {
    CScheduleProbe probe("<Records><Record x=\"1\"><!-- <Record>c</Record> --><record>");
    // The closing bracket belongs to the tag: Record never matches Records.
    EXPECT_EQ(probe.Pos(0, "Record"), 28u);
    EXPECT_EQ(probe.Val(0, "Record"), "c");
    EXPECT_EQ(probe.Pos(29, "Record"), npos);
    // Nested same names: from the first opening tag to the first closing tag.
    EXPECT_EQ(CScheduleProbe("<n>1<n>2</n>3</n>").Val(0, "n"), "1<n>2");
    EXPECT_EQ(CScheduleProbe("<n>\r\n &amp; </n>").Val(0, "n"), "\r\n &amp; ");
}

TEST(ScannerTest, ClosingTagBeforeTheOpeningTagGivesAnEmptyValue) {
    EXPECT_EQ(CScheduleProbe("</a><a>rest of the text").Val(0, "a"), "");
    EXPECT_EQ(CScheduleProbe("</a><a>1</a>").Val(0, "a"), "");
    EXPECT_EQ(CScheduleProbe("</a><a>1</a>").Val(1, "a"), "1");
    EXPECT_EQ(CScheduleProbe("<a>").Val(0, "a"), "");
    EXPECT_EQ(CScheduleProbe("<a></a").Val(0, "a"), "");
    EXPECT_EQ(CScheduleProbe("").Val(0, "a"), "");
}

TEST(ScannerTest, IntegersReadAsAtoiWithoutOverflow) {
    struct Case {
        const char* m_Text;
        int m_Int;
        bool m_Bool;
    };
    const Case cases[] = {
        {"12abc", 12, true},
        {"-3", -3, true},
        {"abc", 0, false},
        {"2", 2, true},
        {"true", 0, false},
        {"0", 0, false},
        {"", 0, false},
        {" \t\n+4", 4, true},
        {"0x10", 0, false},
        {"- 5", 0, false},
        {"2147483647", INT_MAX, true},
        {"99999999999999999999", INT_MAX, true},
        {"-2147483648", INT_MIN, true},
        {"-99999999999999999999", INT_MIN, true},
        {"4294967296", INT_MAX, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_Text);
        EXPECT_EQ(Element(c.m_Text).Int(0, "v"), c.m_Int);
        EXPECT_EQ(Element(c.m_Text).Bool(0, "v"), c.m_Bool);
    }
}

TEST(ScannerTest, TimesReadAsMinutesSecondsAndTenths) {
    struct Case {
        const char* m_Text;
        float m_Secs;
    };
    const Case cases[] = {
        {"1:30.0", 90.0f},
        {"1:30.5", 90.5f},
        {"10:05.2", 605.2f},
        {"01:30.0", 90.0f},
        {"120:00.0", 7200.0f},
        {"1:75.0", 135.0f},
        {" 1:30.0", 90.0f},
        {"0:00.0", 0.0f},
        {"-1:30.0", -30.0f},
        {"1:x5.0", 60.0f},
        {"1:30.x", 90.0f},
        // Invalid forms read as 0.
        {"1:30.0 ", 0.0f},
        {"1:30.0\n", 0.0f},
        {"1:30", 0.0f},
        {"1:30.25", 0.0f},
        {"1:5.0", 0.0f},
        {":30.0", 0.0f},
        {"12.5", 0.0f},
        {"1.5:30.0", 0.0f},
        {"", 0.0f},
        {".", 0.0f},
        {":", 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m_Text);
        EXPECT_EQ(Element(c.m_Text).Time(0, "v"), c.m_Secs);
    }
}

TEST(ScannerTest, HugeMinutesStayFinite) {
    float secs = Element("99999999999:00.0").Time(0, "v");
    EXPECT_EQ(secs, float(INT_MAX) * 60.0f);
}

TEST(ScannerTest, RepeatedSearchesFromAnyPositionsMatchAPlainSearch) {
    // Remembered results must never leak into a search they do not answer.
    std::string text;
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i)
        text += (random() % 3 == 0) ? "<t>" : (random() % 2 ? "</t>" : "xy");
    CScheduleProbe probe(text);
    for (int i = 0; i < 5000; ++i) {
        std::size_t pos = random() % (text.size() + 10);
        ASSERT_EQ(probe.Pos(pos, "t"), text.find("<t>", pos)) << "from " << pos;
        ASSERT_EQ(probe.EndPos(pos, "t"), text.find("</t>", pos)) << "from " << pos;
    }
}
