#include "AnnouncementRecord.h"
#include "Chain.h"
#include "ScopedTimeZone.h"
#include "SoundLibrary.h"
#include "TestSupport.h"
#include "TimeRecord.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

namespace {
using Titles = std::vector<std::string>;

CTimeVal At(int a_Hour, int a_Min) {
    return CVirtualPlatform::Local(2024, 3, 14, a_Hour, a_Min, 0);
}

// A library over generated recordings; times are read in UTC unless a test pins another zone.
class RecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Intro = WriteWav(m_Dir, "news/intro.wav", 2.5);
        m_Num14 = WriteWav(m_Dir, "numbers/cdnum14.wav", 0.5);
        m_Num35 = WriteWav(m_Dir, "numbers/deeper/cdnum35.wav", 1.0);
        m_Hour10 = WriteWav(m_Dir, "cdhour10.wav", 1.5);
        m_Library = std::make_unique<CSoundLibrary>(m_Dir.Path());
    }

    CScopedTimeZone m_Zone{"UTC0"};
    CTempDir m_Dir;
    std::string m_Intro, m_Num14, m_Num35, m_Hour10;
    std::unique_ptr<CSoundLibrary> m_Library;
};
} // namespace

TEST_F(RecordTest, SpokenTimeNamesCoverEveryClockForm) {
    struct Case {
        int m_Hour, m_Min, m_Offset;
        Titles m_Titles;
    };
    const Case cases[] = {
        {0, 5, -10, {"cdnum23", "cdnum55"}},
        {23, 55, 10, {"cdnum00", "cdnum05"}},
        {10, 0, 0, {"cdhour10"}},
        {7, 5, 0, {"cdnum7", "cdnum05"}},
        {0, 35, 0, {"cdnum00", "cdnum35"}},
        {14, 35, 0, {"cdnum14", "cdnum35"}},
        {0, 0, 0, {"cdhour00"}},
        {9, 59, 1, {"cdhour10"}},
        {1, 0, -61, {"cdnum23", "cdnum59"}},
        {14, 35, 3 * 1440, {"cdnum14", "cdnum35"}},
        {14, 35, -5 * 1440 - 1, {"cdnum14", "cdnum34"}},
        {14, 35, INT_MAX, {"cdnum16", "cdnum42"}},
        {14, 35, INT_MIN, {"cdnum12", "cdnum27"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.m_Hour) + ":" + std::to_string(c.m_Min) + " offset " +
                     std::to_string(c.m_Offset));
        EXPECT_EQ(CTimeRecord("now", c.m_Offset).TitlesForTime(At(c.m_Hour, c.m_Min)), c.m_Titles);
    }
}

TEST_F(RecordTest, SpokenTimeFollowsTheLocalTimeZone) {
    CTimeVal utc1935 = At(19, 35);
    CScopedTimeZone newYork("EST5");
    EXPECT_EQ(CTimeRecord("now", 0).TitlesForTime(utc1935), (Titles{"cdnum14", "cdnum35"}));
}

TEST_F(RecordTest, AnnouncementPlaysItsSoundWhateverTheTime) {
    CAnnouncementRecord record("intro");
    EXPECT_EQ(record.DurationForTime(At(3, 0)), 2.5f);
    std::list<CSlot> slots = record.RecordsForTime(At(14, 35));
    ASSERT_EQ(slots.size(), 1u);
    EXPECT_EQ(slots.front().m_FileName, m_Intro);
    EXPECT_EQ(slots.front().m_Time, At(14, 35));
}

TEST_F(RecordTest, MissingSoundsGiveEmptyNamesAndNoDuration) {
    CAnnouncementRecord missing("Intro");
    EXPECT_EQ(missing.DurationForTime(At(3, 0)), 0.0f);
    std::list<CSlot> slots = missing.RecordsForTime(At(3, 0));
    ASSERT_EQ(slots.size(), 1u);
    EXPECT_EQ(slots.front().m_FileName, "");
    EXPECT_EQ(slots.front().m_SoundName, "Intro");
    // A time sound is never taken for an announcement, nor the other way round.
    EXPECT_EQ(CAnnouncementRecord("cdnum14").DurationForTime(At(3, 0)), 0.0f);
    CTimeRecord time("intro", 0);
    EXPECT_EQ(time.DurationForTime(At(14, 7)), 0.5f); // cdnum14 alone; cdnum07 is missing
    std::list<CSlot> timeSlots = time.RecordsForTime(At(14, 7));
    ASSERT_EQ(timeSlots.size(), 2u);
    EXPECT_EQ(timeSlots.front().m_FileName, m_Num14);
    EXPECT_EQ(timeSlots.back().m_FileName, "");
    EXPECT_EQ(timeSlots.back().m_SoundName, "cdnum07");
}

TEST_F(RecordTest, TimeSlotsFollowEachOtherByTheirDurations) {
    CTimeRecord record("now", 0);
    EXPECT_EQ(record.DurationForTime(At(14, 35)), 1.5f);
    EXPECT_EQ(record.DurationForTime(At(10, 0)), 1.5f);
    std::list<CSlot> slots = record.RecordsForTime(At(14, 35));
    ASSERT_EQ(slots.size(), 2u);
    EXPECT_EQ(slots.front().m_FileName, m_Num14);
    EXPECT_EQ(slots.front().m_Time, At(14, 35));
    EXPECT_EQ(slots.back().m_FileName, m_Num35);
    CTimeVal second = At(14, 35);
    second.AddMicroSecs(500000);
    EXPECT_EQ(slots.back().m_Time, second);
}

TEST_F(RecordTest, WithoutALibraryEverySoundIsMissing) {
    m_Library.reset();
    ASSERT_EQ(gSoundLibrary, nullptr);
    EXPECT_EQ(CAnnouncementRecord("intro").DurationForTime(At(14, 35)), 0.0f);
    EXPECT_EQ(CTimeRecord("now", 0).DurationForTime(At(14, 35)), 0.0f);
    CChain chain(true);
    chain.AddRecord(std::make_unique<CAnnouncementRecord>("intro"));
    chain.AddRecord(std::make_unique<CTimeRecord>("now", 0));
    EXPECT_EQ(chain.RecordsForTimeAsString(At(14, 35)), "   ");
}

TEST_F(RecordTest, EmptyChainHasNothingToPlay) {
    CChain chain(false);
    EXPECT_FALSE(chain.AnchoredStart());
    EXPECT_EQ(chain.DurationForTime(At(14, 35)), 0.0f);
    EXPECT_TRUE(chain.RecordsForTime(At(14, 35)).empty());
    EXPECT_EQ(chain.RecordsForTimeAsString(At(14, 35)), "");
    chain.AddRecord(nullptr);
    EXPECT_TRUE(chain.Records().empty());
}

TEST_F(RecordTest, ChainPlaysItsRecordsInOrderForOneTime) {
    CChain chain(true);
    chain.AddRecord(std::make_unique<CAnnouncementRecord>("intro"));
    chain.AddRecord(std::make_unique<CTimeRecord>("now", 0));
    chain.AddRecord(std::make_unique<CTimeRecord>("earlier", -275));
    EXPECT_TRUE(chain.AnchoredStart());
    EXPECT_EQ(chain.DurationForTime(At(14, 35)), 2.5f + 0.5f + 1.0f + 1.5f);
    EXPECT_EQ(chain.RecordsForTimeAsString(At(14, 35)),
              m_Intro + " " + m_Num14 + " " + m_Num35 + " " + m_Hour10 + " ");
}

TEST_F(RecordTest, MissingRecordLeavesTwoSpacesInTheFileList) {
    CChain chain(false);
    chain.AddRecord(std::make_unique<CAnnouncementRecord>("intro"));
    chain.AddRecord(std::make_unique<CAnnouncementRecord>("absent"));
    chain.AddRecord(std::make_unique<CTimeRecord>("now", 0));
    EXPECT_EQ(chain.RecordsForTimeAsString(At(14, 35)),
              m_Intro + "  " + m_Num14 + " " + m_Num35 + " ");
    std::list<CSlot> slots = chain.RecordsForTime(At(14, 35));
    ASSERT_EQ(slots.size(), 4u);
    // Every record is asked about the same time.
    EXPECT_EQ(std::next(slots.begin(), 2)->m_Time, At(14, 35));
}
