#include "Wave.h"

#include "ProcessSupport.h"
#include "TestSupport.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const std::string c_ShortRiff = "Couldn't read RIFF data in wav file.";
const std::string c_ShortHeader = "Couldn't read header data in wav file.";
const std::string c_BadTag = "Unable to handle this format - can only handle format 1 (PCM) files.";
const std::string c_BadFmtSize = "Unable to handle this format - fmt chunk is unexpected length.";
const std::string c_BadBits = "Unable to handle this format - only 16 bits/sample supported.";
const std::string c_BadRate = "Unable to handle this format - only 22050 Hz supported.";
const std::string c_BadByteRate = "Unable to handle this format - only 44100 Bytes/sec supported.";
const std::string c_BadChannels =
    "Unable to handle this format - only single channel (mono) is supported.";
const std::string c_BadChunk =
    "Unable to handle this format - unexpected chunk found when expecting fact or data.";
const std::string c_BadFactSize = "Unable to handle this format - fact chunk is unexpected length.";

std::string Riff() {
    return "RIFF" + Le32(0) + "WAVE";
}

// A 16-byte format body.
std::string FmtBody(std::uint16_t a_Tag = 1, std::uint16_t a_Channels = 1,
                    std::uint32_t a_Rate = 22050, std::uint32_t a_ByteRate = 44100,
                    std::uint16_t a_Bits = 16) {
    return Le16(a_Tag) + Le16(a_Channels) + Le32(a_Rate) + Le32(a_ByteRate) + Le16(2) +
           Le16(a_Bits);
}

std::string Fmt(const std::string& a_Body) {
    return "fmt " + Le32(std::uint32_t(a_Body.size())) + a_Body;
}

std::string Data(std::uint32_t a_Size) {
    return "data" + Le32(a_Size);
}

std::string Fact(std::uint32_t a_Samples, std::uint32_t a_Size = 4) {
    return "fact" + Le32(a_Size) + Le32(a_Samples);
}

std::string Canonical() {
    return Riff() + Fmt(FmtBody()) + Data(44100);
}

std::string ExtendedFmt() {
    return Riff() + Fmt(FmtBody() + Le16(0)) + Data(44100);
}

std::string WithFact() {
    return Riff() + Fmt(FmtBody()) + Fact(11025) + Data(44100);
}

void ExpectRefused(const std::string& a_Path, const std::string& a_Message) {
    CWave wave(a_Path);
    EXPECT_FALSE(wave.isValid()) << a_Path;
    EXPECT_EQ(wave.lastError(), a_Message) << a_Path;
    try {
        wave.getDuration();
        ADD_FAILURE() << "no error thrown for " << a_Path;
    } catch (const std::string& error) {
        EXPECT_EQ(error, a_Message);
    }
}

float DurationOf(const std::string& a_Path) {
    CWave wave(a_Path);
    EXPECT_TRUE(wave.isValid()) << a_Path << ": " << wave.lastError();
    return wave.isValid() ? wave.getDuration() : -1.0f;
}

#define REQUIRE_PROGRAM(name)                                                                      \
    if (!HaveProgram(name))                                                                        \
    GTEST_SKIP() << name << " is not installed (scripts/install-deps installs it)"
} // namespace

TEST(WaveTest, AcceptsTheOneFormatInEachLayout) {
    CTempDir dir;
    EXPECT_FLOAT_EQ(DurationOf(dir.Write("canonical.wav", Canonical())), 1.0f);
    EXPECT_FLOAT_EQ(DurationOf(dir.Write("ext.wav", ExtendedFmt())), 1.0f);
    std::string extra = Riff() + Fmt(FmtBody() + Le16(0xBEEF)) + Data(44100);
    EXPECT_FLOAT_EQ(DurationOf(dir.Write("extra.wav", extra)), 1.0f);
    // The fact chunk's count wins over the data size.
    EXPECT_FLOAT_EQ(DurationOf(dir.Write("fact.wav", WithFact())), 0.5f);
    // The odd byte is dropped.
    EXPECT_FLOAT_EQ(DurationOf(dir.Write("odd.wav", Riff() + Fmt(FmtBody()) + Data(44101))), 1.0f);
    EXPECT_FLOAT_EQ(DurationOf(dir.Write("empty.wav", Riff() + Fmt(FmtBody()) + Data(0))), 0.0f);
    // The identifiers of the first record are never examined.
    std::string junk = "JUNKJUNKJUNK" + Fmt(FmtBody()) + Data(22050);
    EXPECT_FLOAT_EQ(DurationOf(dir.Write("junk.wav", junk)), 0.5f);
    // Whatever the sample data holds, only the header counts.
    EXPECT_FLOAT_EQ(DurationOf(dir.Write("helper.wav", WavBytes(88200))), 2.0f);
}

TEST(WaveTest, EachRefusalHasItsOwnMessage) {
    struct Case {
        const char* m_Name;
        std::string m_Bytes;
        std::string m_Message;
    };
    const Case cases[] = {
        {"float", Riff() + Fmt(FmtBody(3)) + Data(10), c_BadTag},
        // Format code comes first, so an extensible file is refused for it, not for its size.
        {"extensible", Riff() + Fmt(FmtBody(0xFFFE) + std::string(24, '\0')) + Data(10), c_BadTag},
        {"big-endian",
         "RIFX" + Le32(0) + "WAVE" + "fmt " + std::string("\0\0\0\x10\0\x01", 6) +
             std::string(14, '\0') + Data(10),
         c_BadTag},
        {"fmt20", Riff() + Fmt(FmtBody() + Le32(0)) + Data(10), c_BadFmtSize},
        {"8bit", Riff() + Fmt(FmtBody(1, 1, 22050, 44100, 8)) + Data(10), c_BadBits},
        {"44k", Riff() + Fmt(FmtBody(1, 1, 44100, 88200)) + Data(10), c_BadRate},
        // The byte rate is checked before the channel count.
        {"stereo", Riff() + Fmt(FmtBody(1, 2, 22050, 88200)) + Data(10), c_BadByteRate},
        {"twochannels", Riff() + Fmt(FmtBody(1, 2, 22050, 44100)) + Data(10), c_BadChannels},
        {"list", Riff() + Fmt(FmtBody()) + "LIST" + Le32(4) + "INFO" + Data(10), c_BadChunk},
        {"capitals", Riff() + Fmt(FmtBody()) + "DATA" + Le32(10), c_BadChunk},
        {"fact8", Riff() + Fmt(FmtBody()) + Fact(11025, 8) + Le32(0) + Data(10), c_BadFactSize},
        {"short", "RIFF" + Le32(0), c_ShortRiff},
        {"empty", "", c_ShortRiff},
    };
    CTempDir dir;
    for (const Case& c : cases)
        ExpectRefused(dir.Write(std::string(c.m_Name) + ".wav", c.m_Bytes), c.m_Message);
}

TEST(WaveTest, AFileEndingInsideItsHeaderIsRefusedAtEveryLength) {
    CTempDir dir;
    for (const std::string& header : {Canonical(), ExtendedFmt(), WithFact()}) {
        for (std::size_t length = 0; length < header.size(); ++length) {
            std::string path = dir.Write("cut.wav", header.substr(0, length));
            ExpectRefused(path, length < CWave::c_RiffBytes ? c_ShortRiff : c_ShortHeader);
        }
        EXPECT_GT(DurationOf(dir.Write("whole.wav", header)), 0.0f);
    }
}

TEST(WaveTest, OnlyRegularFilesAreOpened) {
    CTempDir dir;
    std::string missing = dir.Path() + "/missing.wav";
    ExpectRefused(missing, "Error opening " + missing + ". error: " + std::strerror(ENOENT));

    std::string folder = dir.Path() + "/old.wav";
    MakeDirs(folder);
    ExpectRefused(folder, "Error opening " + folder + ". error: not a regular file");

    // Nothing writes to this FIFO: opening it must not wait for a writer. The reader runs in a
    // child with an alarm, so a reader that waits fails here instead of hanging the suite.
    std::string fifo = dir.Path() + "/pipe.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::alarm(5);
        CWave wave(fifo);
        ::_exit(wave.lastError() == "Error opening " + fifo + ". error: not a regular file" ? 0
                                                                                            : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

TEST(WaveTest, ClosesTheFileOnEveryPath) {
    auto openCount = [] { return ListDir("/proc/self/fd").size(); };
    CTempDir dir;
    std::string good = dir.Write("good.wav", Canonical());
    std::string bad = dir.Write("bad.wav", Riff() + Fmt(FmtBody(3)));
    std::string cut = dir.Write("cut.wav", Canonical().substr(0, 30));
    std::size_t before = openCount();
    for (int i = 0; i < 50; ++i)
        for (const std::string& path : {good, bad, cut, dir.Path()})
            CWave wave(path);
    EXPECT_EQ(openCount(), before);
}

TEST(WaveTest, EspeakRecordingsAreInTheAcceptedFormat) {
    REQUIRE_PROGRAM("espeak-ng");
    REQUIRE_PROGRAM("soxi");
    CTempDir dir;
    std::string path = dir.Path() + "/cdnum35.wav";
    ASSERT_EQ(RunProgram({"espeak-ng", "-w", path, "thirty five"}), 0);
    std::string samples;
    ASSERT_EQ(RunProgram({"soxi", "-s", path}, &samples), 0);
    float expected = std::stof(samples) / 22050.0f;
    EXPECT_GT(expected, 0.3f);
    EXPECT_FLOAT_EQ(DurationOf(path), expected);
}

TEST(WaveTest, SoxConvertsIntoTheFormat) {
    REQUIRE_PROGRAM("sox");
    const std::string source = "/usr/share/sounds/alsa/Front_Center.wav";
    if (::access(source.c_str(), R_OK) != 0)
        GTEST_SKIP() << source << " is missing (it comes with alsa-utils)";
    CTempDir dir;
    std::string path = dir.Path() + "/converted.wav";
    ASSERT_EQ(RunProgram({"sox", source, "-r", "22050", "-c", "1", "-b", "16", path}), 0);
    std::string seconds;
    ASSERT_EQ(RunProgram({"soxi", "-D", path}, &seconds), 0);
    EXPECT_NEAR(DurationOf(path), std::stof(seconds), 0.0001f);
}

TEST(WaveTest, SoxConversionsOutOfTheFormatAreRefused) {
    REQUIRE_PROGRAM("sox");
    CTempDir dir;
    std::string source = WriteWav(dir, "source.wav", 0.5);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"-r", "44100"}, c_BadRate},
        {{"-c", "2"}, c_BadByteRate},
        {{"-b", "8"}, c_BadBits},
        {{"-b", "24"}, c_BadTag},
        {{"-e", "floating-point"}, c_BadTag},
        {{"-e", "a-law"}, c_BadTag},
    };
    int n = 0;
    for (const auto& c : cases) {
        std::string out = dir.Path() + "/out" + std::to_string(n++) + ".wav";
        std::vector<std::string> argv = {"sox", source};
        argv.insert(argv.end(), c.first.begin(), c.first.end());
        argv.push_back(out);
        ASSERT_EQ(RunProgram(argv), 0) << c.first[1];
        ExpectRefused(out, c.second);
    }
}

TEST(WaveTest, SystemSoundsOfAnotherRateAreRefused) {
    const std::string folder = "/usr/share/sounds/alsa";
    std::vector<std::string> names = ListDir(folder);
    if (names.empty())
        GTEST_SKIP() << folder << " is missing (it comes with alsa-utils)";
    for (const std::string& name : names)
        ExpectRefused(folder + "/" + name, c_BadRate);
}
