#include "CtlSupport.h"
#include "Wave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sndfile.h>
#include <sys/stat.h>

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
    CCtlResult result = RunCtl({"import", input, dir.Path()});
    ASSERT_EQ(result.m_Status, 0) << result.m_Err;
    EXPECT_EQ(result.m_Out.rfind(name + "  1.5 s  " + GetParam().m_Says + "\n", 0), 0u)
        << result.m_Out;
    CWave wave(dir.Path() + "/" + name + ".wav");
    ASSERT_TRUE(wave.isValid()) << wave.lastError();
    EXPECT_NEAR(wave.getDuration(), 1.5, 0.05);
    std::vector<std::int16_t> samples = PcmSamples(dir.Path() + "/" + name + ".wav");
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

TEST(ImportRefusalTest, EachRefusedFileNamedTheOthersConverted) {
    CTempDir dir;
    for (const char* name : {"in/cdnum35.wav", "in/welcome.wav", "in/fine.wav"})
        Write(dir.Write(name, ""),
              Input{"", "", "", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, 0.5});
    dir.Write("in/broken.mp3", "not a recording");
    ASSERT_EQ(::mkfifo((dir.Path() + "/in/pipe.wav").c_str(), 0600), 0); // would block a reader
    dir.Write("out/welcome.wav", "an older recording");
    const std::pair<const char*, const char*> refused[] = {
        {"cdnum35.wav", "the name cdnum35 would make it a time sound"},
        {"broken.mp3", "it is not a recording this program can read"},
        {"pipe.wav", "it is not a regular file"},
        {"welcome.wav", "welcome.wav is already in "}};
    std::vector<std::string> args{"import", dir.Path() + "/in/fine.wav"};
    for (const auto& [file, reason] : refused)
        args.push_back(dir.Path() + "/in/" + file);
    args.push_back(dir.Path() + "/out");
    CCtlResult result = RunCtl(args);
    EXPECT_EQ(result.m_Status, 1);
    for (const auto& [file, reason] : refused)
        EXPECT_NE(result.m_Err.find(std::string(file) + " not imported: " + reason),
                  std::string::npos)
            << file << ": " << result.m_Err;
    EXPECT_TRUE(CWave(dir.Path() + "/out/fine.wav").isValid());
    EXPECT_EQ(ReadFile(dir.Path() + "/out/welcome.wav"), "an older recording");
    args.insert(args.begin() + 1, "--force");
    RunCtl(args);
    EXPECT_TRUE(CWave(dir.Path() + "/out/welcome.wav").isValid()) << "replaced when forced";
}
