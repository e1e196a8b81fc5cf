// What differs on the 32-bit ARM boards the announcer runs on: long is 32 bits there, and the C
// library's time_t and off_t are only 64 bits when the build asks for them. These cases pass on
// any 64-bit machine too; they matter when the suite runs on the target (under emulation).
#include "Schedule.h"
#include "ScheduleText.h"
#include "ScopedTimeZone.h"
#include "SoundLibrary.h"
#include "TestSupport.h"
#include "TimeRecord.h"
#include "TimeVal.h"
#include "VirtualPlatform.h"
#include "Wave.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr std::int64_t c_Y2038 = 2147483647; // 2038-01-19 03:14:07 UTC, the last 32-bit second
constexpr std::int64_t c_Y2040Jul1Noon = 2224756800; // 2040-07-01 12:00:00 UTC
constexpr std::int64_t c_Y2100 = 4102444800;         // 2100-01-01 00:00:00 UTC
constexpr std::int64_t c_Y2106 = 4294967296;         // 2106-02-07 06:28:16 UTC, 2^32 seconds

CTimeVal At(std::int64_t a_Secs, std::int64_t a_Micros = 0) {
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(a_Secs);
    tv.tv_usec = static_cast<suseconds_t>(a_Micros);
    return CTimeVal(tv);
}

const char* const c_Utc = "UTC0";
const char* const c_Cet = "CET-1CEST,M3.5.0,M10.5.0/3";

} // namespace

TEST(TargetBuild, TimeAndFileOffsetsAre64Bits) {
    EXPECT_GE(sizeof(time_t), 8u) << "build with -D_TIME_BITS=64";
    EXPECT_GE(sizeof(off_t), 8u) << "build with -D_FILE_OFFSET_BITS=64";
}

TEST(TargetTime, ArithmeticCrossesTheEndOf32BitTime) {
    CTimeVal t = At(c_Y2038, 500000);
    t.AddSecs(1);
    EXPECT_EQ(t.Seconds(), c_Y2038 + 1);
    t.AddSecs(300.25f);
    EXPECT_EQ(t.Seconds(), c_Y2038 + 301);
    EXPECT_EQ(t.MicroSecs(), 750000);
    EXPECT_TRUE(At(c_Y2038, 999999) < At(c_Y2038 + 1));
    EXPECT_FALSE(At(c_Y2038 + 1) < At(c_Y2038, 999999));
    EXPECT_FLOAT_EQ(At(c_Y2038 + 1, 250000) - At(c_Y2038, 750000), 0.5f);
    EXPECT_FLOAT_EQ(At(c_Y2106 + 3000) - At(c_Y2106), 3000.0f);
}

TEST(TargetTime, LocalFieldsAfter2038) {
    CScopedTimeZone zone(c_Utc);
    EXPECT_EQ(At(c_Y2038 + 1).TimeString(), "3:14:08.0");
    EXPECT_EQ(At(c_Y2100, 7000).TimeString(), "0:00:00.7");
    EXPECT_EQ(At(c_Y2106 + 1, 420000).TimeString(), "6:28:17.420");
    CScopedTimeZone summer(c_Cet);
    CTimeVal noon = At(c_Y2040Jul1Noon + 5 * 60 + 7, 42000);
    EXPECT_EQ(noon.Hour(), 14);
    EXPECT_EQ(noon.Min(), 5);
    EXPECT_EQ(noon.Sec(), 7);
    EXPECT_EQ(noon.TimeString(), "14:05:07.42");
}

TEST(TargetTime, SpokenTimeAfter2038) {
    CScopedTimeZone zone(c_Utc);
    EXPECT_EQ(CTimeRecord("now", 0).TitlesForTime(At(c_Y2100)),
              (std::vector<std::string>{"cdhour00"}));
    CScopedTimeZone summer(c_Cet);
    EXPECT_EQ(CTimeRecord("now", 35).TitlesForTime(At(c_Y2040Jul1Noon)),
              (std::vector<std::string>{"cdnum14", "cdnum35"}));
}

// One pass of the scheduler in 2040: the chain due next, its start and the time it speaks.
TEST(TargetTime, SchedulerAfter2038) {
    CScopedTimeZone summer(c_Cet);
    CTempDir dir;
    WriteWav(dir, "hello.wav", 2.0);
    for (const char* name : {"cdnum14", "cdnum35"})
        WriteWav(dir, std::string(name) + ".wav", 1.0);
    CSoundLibrary library(dir.Path());
    CVirtualPlatform platform(At(c_Y2040Jul1Noon + 31 * 60 + 5)); // 14:31:05 local
    std::ostringstream out;
    CSchedule schedule(dir.Path(), platform, out);
    ASSERT_TRUE(schedule.LoadText(
        ScheduleFile(Rec("hello", "Custom", "2:00.0") + Rec("now", "Timed", "", true))));
    schedule.PlayNextSound();
    ASSERT_EQ(platform.Playbacks().size(), 1u) << out.str();
    EXPECT_EQ(platform.Playbacks()[0].m_Start.TimeString(), "14:32:00.0");
    EXPECT_EQ(platform.Playbacks()[0].m_Start, At(c_Y2040Jul1Noon + 32 * 60));
    EXPECT_EQ(platform.Playbacks()[0].m_FileNames, dir.Path() + "/hello.wav " + dir.Path() +
                                                       "/cdnum14.wav " + dir.Path() +
                                                       "/cdnum35.wav ");
}

// Counts of microseconds beyond what a 32-bit long holds (2147.483647 s).
TEST(TargetTime, MicrosecondCountsBeyond32Bits) {
    CTimeVal t = At(1000, 999999);
    t.AddMicroSecs(1);
    EXPECT_EQ(t.Seconds(), 1001);
    EXPECT_EQ(t.MicroSecs(), 0);
    t.AddMicroSecs(-1);
    EXPECT_EQ(t.Seconds(), 1000);
    EXPECT_EQ(t.MicroSecs(), 999999);
    t.AddMicroSecs(std::int64_t(3000) * 1000000 + 1);
    EXPECT_EQ(t.Seconds(), 4001);
    EXPECT_EQ(t.MicroSecs(), 0);
    t.AddMicroSecs(-(std::int64_t(1) << 31) - 1); // -2147.483649 s
    EXPECT_EQ(t.Seconds(), 1853);
    EXPECT_EQ(t.MicroSecs(), 516351);
}

TEST(TargetTime, FloatSecondsBeyond32BitMicroseconds) {
    CTimeVal t = At(c_Y2038 - 10, 600000);
    t.AddSecs(2700.0f); // a key of 45:00.0
    EXPECT_EQ(t.Seconds(), c_Y2038 + 2690);
    EXPECT_EQ(t.MicroSecs(), 600000);
    t.AddSecs(-5999.5f); // an interval of 99:59.5 back
    EXPECT_EQ(t.Seconds(), c_Y2038 - 3309);
    EXPECT_EQ(t.MicroSecs(), 100000);
}

namespace {

// A header of a mono 16-bit 22050 Hz file, optionally with a fact chunk.
std::string Header(std::uint32_t a_DataBytes, std::optional<std::uint32_t> a_Samples = {}) {
    std::string fmt =
        "fmt " + Le32(16) + Le16(1) + Le16(1) + Le32(22050) + Le32(44100) + Le16(2) + Le16(16);
    std::string fact = a_Samples ? "fact" + Le32(4) + Le32(*a_Samples) : "";
    std::string data = "data" + Le32(a_DataBytes);
    return "RIFF" + Le32(0xFFFFFFFFu) + "WAVE" + fmt + fact + data;
}

float Duration(const std::string& a_Path) {
    CWave wave(a_Path);
    EXPECT_TRUE(wave.isValid()) << wave.lastError();
    return wave.isValid() ? wave.getDuration() : -1.0f;
}

} // namespace

// Sizes of 2 GiB and more are where a signed 32-bit value would turn negative.
TEST(TargetWave, HeaderSizesNear4GiB) {
    CTempDir dir;
    EXPECT_NEAR(Duration(dir.Write("max.wav", Header(0xFFFFFFFFu))), 97391.55f, 0.05f);
    EXPECT_NEAR(Duration(dir.Write("half.wav", Header(0x80000000u))), 48695.77f, 0.05f);
    std::string fact = dir.Write("fact.wav", Header(0, 0xFFFFFFFFu));
    EXPECT_NEAR(Duration(fact), 194783.1f, 0.1f);
}

namespace {

// A sparse file of 4 GiB less one byte: opening it needs 64-bit file offsets on the target.
std::string WriteHuge(const CTempDir& a_Dir, const std::string& a_Rel) {
    constexpr std::uint32_t c_Size = 0xFFFFFFFFu;
    std::string path = a_Dir.Write(a_Rel, Header(c_Size - 44));
    EXPECT_EQ(truncate(path.c_str(), off_t(c_Size)), 0);
    return path;
}

} // namespace

TEST(TargetWave, FileOf4GiBIsReadAndCatalogued) {
    CTempDir dir;
    std::string path = WriteHuge(dir, "sched/big/huge.wav");
    EXPECT_NEAR(Duration(path), 97391.55f, 0.05f);
    CSoundLibrary library(dir.Path() + "/sched");
    EXPECT_EQ(library.GetAnnouncementFile("huge"), path);
    EXPECT_NEAR(library.GetAnnouncementDuration("huge"), 97391.55f, 0.05f);
}
