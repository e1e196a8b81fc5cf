#include "CtlSupport.h"
#include "Wave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// One input recording of 1.5 s, made with libsndfile: a 440 Hz tone of m_Peak in each channel.
struct Input {
    const char *m_Name, *m_Ext, *m_Says; // m_Says: on the recording's line
    int m_Format, m_Rate, m_Channels;
    double m_Peak;
};

// False when this libsndfile cannot write the format.
bool Write(const std::string& a_Path, const Input& a_Input) {
    SF_INFO info{0, a_Input.m_Rate, a_Input.m_Channels, a_Input.m_Format, 0, 0};
    SNDFILE* file = sf_format_check(&info) ? sf_open(a_Path.c_str(), SFM_WRITE, &info) : nullptr;
    if (!file)
        return false;
    std::vector<double> samples(std::size_t(1.5 * a_Input.m_Rate * a_Input.m_Channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = a_Input.m_Peak *
                     std::sin(2 * M_PI * 440 * double(i / a_Input.m_Channels) / a_Input.m_Rate);
    sf_writef_double(file, samples.data(), sf_count_t(samples.size()) / a_Input.m_Channels);
    return sf_close(file) == 0;
}

class ImportTest : public ::testing::TestWithParam<Input> {};
} // namespace

TEST_P(ImportTest, ConvertsToTheAcceptedFormatWithoutClipping) {
    CTempDir dir;
    std::string name = GetParam().m_Name, input = dir.Write("in/" + name + GetParam().m_Ext, "");
    if (!Write(input, GetParam()))
        GTEST_SKIP() << "this libsndfile does not write " << input;
    std::string out = dir.Path() + "/out";
    ::mkdir(out.c_str(), 0755);
    CCtlResult result = RunCtl({"import", input, out});
    ASSERT_EQ(result.m_Status, 0) << result.m_Err;
    EXPECT_EQ(result.m_Out.rfind(name + "  1.5 s  " + GetParam().m_Says + "\n", 0), 0u)
        << result.m_Out;
    CWave wave(out + "/" + name + ".wav");
    ASSERT_TRUE(wave.isValid()) << wave.lastError();
    EXPECT_NEAR(wave.getDuration(), 1.5, 0.05);
    std::vector<std::int16_t> samples = PcmSamples(out + "/" + name + ".wav");
    auto full = std::count_if(samples.begin(), samples.end(), [](int a_S) { return a_S > 32766; });
    EXPECT_NEAR(*std::max_element(samples.begin(), samples.end()) / 32768.0,
                std::min(GetParam().m_Peak, 1.0), 0.1);
    EXPECT_LT(std::size_t(full), samples.size() / 100) << "clipped";
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, ImportTest,
    ::testing::Values(
        Input{"Wav44100Stereo8", ".wav", "44100 Hz stereo 8-bit WAV → 22050 Hz mono",
              SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 44100, 2, 0.5},
        Input{"Wav8000FloatAboveFullScale", ".wav",
              "8000 Hz mono 32-bit float WAV → 22050 Hz mono, level lowered 5.1 dB to avoid "
              "clipping",
              SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 1, 1.8},
        Input{"Accepted", ".wav", "already in the accepted format (22050 Hz mono 16-bit WAV)",
              SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 0.5},
        Input{"Flac48000Stereo24", ".flac", "48000 Hz stereo 24-bit FLAC → 22050 Hz mono",
              SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 2, 0.5},
        Input{"OggVorbis", ".ogg", "44100 Hz stereo Ogg Vorbis → 22050 Hz mono",
              SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 0.5},
        Input{"Mp3", ".mp3", "44100 Hz stereo MP3 → 22050 Hz mono",
              SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 0.5}),
    [](const ::testing::TestParamInfo<Input>& a_Info) { return a_Info.param.m_Name; });

// A file that cannot be converted is named with the reason, the others are converted; --force
// replaces the very file of that name already on the stick, wherever it lies.
TEST(ImportRefusalTest, EachRefusedFileNamedTheOthersConverted) {
    CTempDir dir;
    const std::string d = dir.Path();
    for (const char* name : {"in/cdnum35.wav", "in/welcome.wav", "in/fine.wav", "in/hello.wav",
                             "in/intro.wav", "in/cut.mp3"})
        Write(dir.Write(name, ""),
              Input{"", "", "", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 0.5});
    Write(d + "/in/cut.mp3",
          Input{"", "", "", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2, 0.5});
    ASSERT_EQ(::truncate((d + "/in/cut.mp3").c_str(), ReadFile(d + "/in/cut.mp3").size() / 3), 0);
    std::string fast = WavBytes(0.5);
    fast.replace(24, 4, std::string("\x00\x94\x35\x77", 4)); // 2,000,000,000 Hz
    dir.Write("in/fast.wav", fast);
    dir.Write("in/broken.mp3", "not a recording");
    ASSERT_EQ(::mkfifo((d + "/in/pipe.wav").c_str(), 0600), 0); // would block a reader
    dir.Write("out/forVrex.xml", "");
    for (const char* there : {"out/welcome.wav", "out/old/hello.wav", "out/Intro.WAV"})
        dir.Write(there, "an older recording");
    const std::pair<const char*, std::string> refused[] = {
        {"cdnum35.wav", "the name cdnum35 would make it a time sound"},
        {"broken.mp3", "it is not a recording this program can read"},
        {"pipe.wav", "it is not a regular file"},
        {"cut.mp3", "it ends early: only 0."},
        {"fast.wav", "its header claims 2000000000 Hz, outside the 1000 to 768000 Hz"},
        {"welcome.wav", "the stick already holds " + d + "/out/welcome.wav: use --force"},
        {"hello.wav", "the stick already holds " + d + "/out/old/hello.wav"},
        {"intro.wav", "the stick already holds " + d + "/out/Intro.WAV"}};
    std::vector<std::string> args{"import", d + "/in/fine.wav"};
    for (const auto& [file, reason] : refused)
        args.push_back(d + "/in/" + file);
    args.push_back(d + "/out/sub"); // the stick's recordings lie below its schedule directory
    dir.Write("out/sub/.keep", "");
    CCtlResult result = RunCtl(args);
    EXPECT_EQ(result.m_Status, 1);
    for (const auto& [file, reason] : refused)
        EXPECT_NE(result.m_Err.find(std::string(file) + " not imported: " + reason),
                  std::string::npos)
            << file << ": " << result.m_Err;
    EXPECT_TRUE(CWave(d + "/out/sub/fine.wav").isValid());
    EXPECT_EQ(ReadFile(d + "/out/welcome.wav"), "an older recording");
    args.insert(args.begin() + 1, "--force");
    EXPECT_NE(RunCtl(args).m_Out.find("replacing " + d + "/out/Intro.WAV"), std::string::npos);
    for (const char* replaced : {"welcome.wav", "old/hello.wav", "Intro.WAV", "sub/fine.wav"})
        EXPECT_TRUE(CWave(d + "/out/" + replaced).isValid()) << replaced;
    EXPECT_FALSE(std::ifstream(d + "/out/sub/hello.wav") || std::ifstream(d + "/out/sub/intro.wav"))
        << "a second copy";
    result = RunCtl({"import", d + "/in/hello.wav", d + "/in/fine.wav", d + "/in/cut.mp3",
                     d + "/HELLO.flac", d});
    EXPECT_EQ(result.m_Status, 1);
    EXPECT_NE(result.m_Err.find(d + "/in/hello.wav and " + d +
                                "/HELLO.flac would both become the recording HELLO: rename one of "
                                "them. Nothing was imported"),
              std::string::npos)
        << result.m_Err;
    EXPECT_FALSE(std::ifstream(d + "/fine.wav")) << "converted before the refusal";
}
