#include "Wave.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
std::string Le32(std::uint32_t a_Value) {
    return {char(a_Value & 0xFF), char(a_Value >> 8 & 0xFF), char(a_Value >> 16 & 0xFF),
            char(a_Value >> 24)};
}

// The accepted header of 1 s with a_Bytes put in at a_Offset (inserted where a_Insert).
std::string Header(std::size_t a_Offset = 0, const std::string& a_Bytes = "",
                   bool a_Insert = false) {
    return CWave::headerFor(44100).replace(a_Offset, a_Insert ? 0 : a_Bytes.size(), a_Bytes);
}

// A format chunk of 18 bytes, as some editors write, followed by a_Chunk.
std::string Fmt18(const std::string& a_Chunk = "") {
    return Header(16, "\x12").insert(36, std::string(2, '\0') + a_Chunk);
}
} // namespace

TEST(WaveTest, AcceptsTheOneFormatAndNamesEachRefusal) {
    // clang-format off
    const std::tuple<const char*, std::string, const char*, float> cases[] = {
        {"canonical", Header(), "", 1.0f},
        {"format chunk of 18", Fmt18(), "", 1.0f},
        {"fact chunk", Fmt18("fact" + Le32(4) + Le32(11025)), "", 0.5f},
        {"4 GiB claimed", Header(40, Le32(0xFFFFFFFE)), "", 2147483647.0f / 22050},
        {"no samples", CWave::headerFor(0), "", 0.0f},
        {"compressed", Header(20, "\x03"), "format 1 (PCM)", 0},
        {"format chunk of 20", Header(16, "\x14"), "fmt chunk is unexpected length", 0},
        {"8-bit", Header(34, "\x08"), "only 16 bits", 0},
        {"44100 Hz", Header(24, Le32(44100)), "only 22050 Hz", 0},
        {"stereo", Header(22, "\x02").replace(28, 4, Le32(88200)), "44100 Bytes/sec", 0},
        {"two channels", Header(22, "\x02"), "single channel", 0},
        {"LIST chunk", Header(36, "LIST" + Le32(4) + "INFO", true), "fact or data", 0},
        {"fact of 8 bytes", Fmt18("fact" + Le32(8) + Le32(1)), "fact chunk is unexpected", 0},
    };
    // clang-format on
    CTempDir dir;
    for (const auto& [what, bytes, refusal, seconds] : cases) {
        CWave wave(dir.Write("x.wav", bytes));
        EXPECT_EQ(wave.isValid(), !*refusal) << what << ": " << wave.lastError();
        if (*refusal) {
            EXPECT_NE(wave.lastError().find(refusal), std::string::npos) << what;
            EXPECT_THROW(wave.getDuration(), std::string) << what;
        } else {
            EXPECT_EQ(wave.getDuration(), seconds) << what;
        }
    }
}

TEST(WaveTest, RefusesShortHeadersAndAnythingButARegularFile) {
    CTempDir dir;
    const std::string whole = Fmt18("fact" + Le32(4) + Le32(1)), fifo = dir.Path() + "/f.wav";
    for (std::size_t length = 0; length < whole.size(); ++length)
        EXPECT_EQ(CWave(dir.Write("cut.wav", whole.substr(0, length))).lastError(),
                  length < 12 ? "Couldn't read RIFF data in wav file."
                              : "Couldn't read header data in wav file.");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0); // no writer: opening it must not stall
    for (const std::string& path : {fifo, dir.Path()})
        EXPECT_EQ(CWave(path).lastError(), "Error opening " + path + ". error: not a regular file");
    EXPECT_EQ(CWave(dir.Path() + "/none").lastError(),
              "Error opening " + dir.Path() + "/none. error: No such file or directory");
}
