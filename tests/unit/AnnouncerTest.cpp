#include "Announcer.h"

#include "ScopedTimeZone.h"
#include "SoundLibrary.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {
class AnnouncerTest : public ::testing::Test {
protected:
    CScopedTimeZone m_Zone{"UTC0"};
    CTempDir m_Dir;
    CVirtualPlatform m_Platform{CVirtualPlatform::Local(2024, 3, 1, 14, 31, 56)};
    std::ostringstream m_Out;
};

TEST_F(AnnouncerTest, CataloguesLoadsAndPlaysThePassesAsked) {
    std::string intro = WriteWav(m_Dir, "sounds/intro.wav", 0.5);
    m_Dir.Write("forVrex.xml", "<m_Frequency>1:00</m_Frequency><Records><Record><m_Name>intro"
                               "</m_Name><Type>Custom</Type><m_TimingTime>0:30.0</m_TimingTime>"
                               "<m_FinishAtTime>1</m_FinishAtTime></Record></Records>");
    EXPECT_EQ(CAnnouncer(m_Platform, m_Out).Run(m_Dir.Path(), 2), 0);

    // The chain ends at :30 of each minute, so it starts half a second before.
    ASSERT_EQ(m_Platform.Playbacks().size(), 2u);
    EXPECT_EQ(m_Platform.Playbacks()[0].m_FileNames, intro + " ");
    EXPECT_EQ(m_Platform.Playbacks()[0].m_Start.TimeString(), "14:32:29.500");
    EXPECT_EQ(m_Platform.Playbacks()[1].m_Start.TimeString(), "14:33:29.500");
    EXPECT_EQ(m_Out.str().rfind("Schedule loaded\nGetTimeOffset: 14:31:56 56\n", 0), 0u);
    EXPECT_EQ(gSoundLibrary, nullptr);
}

TEST_F(AnnouncerTest, ScheduleThatCannotBeLoadedEndsWithOneAndNoLibraryLeft) {
    WriteWav(m_Dir, "intro.wav", 0.5);
    EXPECT_EQ(CAnnouncer(m_Platform, m_Out).Run(m_Dir.Path(), 5), 1);
    EXPECT_EQ(m_Out.str(), m_Dir.Path() + "/forVrex.xml not opened\n");

    m_Out.str("");
    m_Dir.Write("forVrex.xml", "<m_Frequency>5:0</m_Frequency>");
    EXPECT_EQ(CAnnouncer(m_Platform, m_Out).Run(m_Dir.Path(), 5), 1);
    EXPECT_EQ(m_Out.str(), "");
    EXPECT_TRUE(m_Platform.Playbacks().empty());
    EXPECT_EQ(gSoundLibrary, nullptr);
}
} // namespace
