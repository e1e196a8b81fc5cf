#include "CtlSupport.h"
#include "Wave.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sndfile.h>

namespace {
// One input recording, made with libsndfile: a 440 Hz tone of a_Peak in every channel.
struct Input {
    const char* m_Case;
    const char* m_File;
    int m_Format;
    int m_Rate;
    int m_Channels;
    double m_Seconds;
    double m_Peak;
    const char* m_Says; // on the file's line
};

void PrintTo(const Input& a_Input, std::ostream* a_Os) {
    *a_Os << a_Input.m_File;
}

// False when this libsndfile cannot write the format.
bool Write(const std::string& a_Path, const Input& a_Input) {
    SF_INFO info{0, a_Input.m_Rate, a_Input.m_Channels, a_Input.m_Format, 0, 0};
    SNDFILE* file = sf_format_check(&info) ? sf_open(a_Path.c_str(), SFM_WRITE, &info) : nullptr;
    if (!file)
        return false;
    auto frames = std::size_t(a_Input.m_Seconds * a_Input.m_Rate);
    std::vector<double> samples(frames * std::size_t(a_Input.m_Channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = a_Input.m_Peak *
                     std::sin(2 * M_PI * 440 * double(i / a_Input.m_Channels) / a_Input.m_Rate);
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_FALSE);
    sf_writef_double(file, samples.data(), sf_count_t(frames));
    sf_close(file);
    return true;
}

class CtlImportTest : public ::testing::TestWithParam<Input> {};
} // namespace

TEST_P(CtlImportTest, ConvertsToTheAcceptedFormatWithoutClipping) {
    CTempDir dir;
    std::string file = GetParam().m_File, name = file.substr(0, file.rfind('.'));
    MakeDirs(dir.Path() + "/out");
    if (!Write(dir.Path() + "/" + file, GetParam()))
        GTEST_SKIP() << "this libsndfile does not write " << file;
    CCtlResult result = RunCtl({"import", dir.Path() + "/" + file, dir.Path() + "/out"});
    ASSERT_EQ(result.m_Status, 0) << result.m_Err;
    EXPECT_EQ(result.m_Out.rfind(name + "  ", 0), 0u) << result.m_Out;
    EXPECT_NE(result.m_Out.find(GetParam().m_Says), std::string::npos) << result.m_Out;
    std::string output = dir.Path() + "/out/" + name + ".wav";
    CWave wave(output);
    ASSERT_TRUE(wave.isValid()) << wave.lastError();
    EXPECT_NEAR(wave.getDuration(), GetParam().m_Seconds, 0.05);
    std::vector<std::int16_t> samples = PcmSamples(output);
    auto atFullScale = std::count_if(samples.begin(), samples.end(), [](std::int16_t a_Sample) {
        return std::abs(a_Sample) >= 32767;
    });
    auto peak = *std::max_element(samples.begin(), samples.end());
    EXPECT_NEAR(peak / 32768.0, std::min(GetParam().m_Peak, 1.0), 0.1);
    EXPECT_LT(std::size_t(atFullScale), samples.size() / 100) << "clipped";
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CtlImportTest,
    ::testing::Values(Input{"Wav44100Stereo16", "w441.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100,
                            2, 3.2, 0.5, "3.2 s  44100 Hz stereo 16-bit WAV → 22050 Hz mono\n"},
                      Input{"Wav48000Mono24", "w480.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000,
                            1, 1.5, 0.5, "48000 Hz mono 24-bit WAV → 22050 Hz mono"},
                      Input{"Wav8000Mono8", "w080.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 1,
                            1.0, 0.5, "8000 Hz mono 8-bit WAV"},
                      Input{"FloatAboveFullScale", "flt1.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT,
                            44100, 1, 1.0, 1.8,
                            "32-bit float WAV → 22050 Hz mono, level lowered 5.1 dB"},
                      Input{"Accepted", "acc1.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 1.0,
                            0.5, "already in the accepted format"},
                      Input{"Flac", "flac.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 2.0,
                            0.5, "48000 Hz stereo 16-bit FLAC"},
                      Input{"OggVorbis", "oggv.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2,
                            2.0, 0.5, "44100 Hz stereo Ogg Vorbis"},
                      Input{"Mp3", "mp3s.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2,
                            2.0, 0.5, "44100 Hz stereo MP3 → 22050 Hz mono"}),
    [](const ::testing::TestParamInfo<Input>& a_Info) { return a_Info.param.m_Case; });

TEST(CtlImportRefusalTest, EachRefusedFileNamedTheOthersConverted) {
    CTempDir dir;
    Input tone{"", "", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 1.0, 0.5, ""};
    dir.Write("in/broken.mp3", "not a recording");
    for (const char* name : {"in/cdnum35.wav", "in/welcome.wav", "in/fine.wav"})
        Write(dir.Path() + "/" + name, tone);
    dir.Write("out/welcome.wav", "an older recording");
    const std::pair<const char*, const char*> refused[] = {
        {"cdnum35.wav", "the name cdnum35 would make it a time sound"},
        {"broken.mp3", "it is not a recording this program can read"},
        {"welcome.wav", "welcome.wav is already in "},
        {"missing.wav", "there is no such file"}};
    std::vector<std::string> args{"import"};
    for (const char* name : {"cdnum35.wav", "broken.mp3", "welcome.wav", "missing.wav", "fine.wav"})
        args.push_back(dir.Path() + "/in/" + name);
    args.push_back(dir.Path() + "/out");
    CCtlResult result = RunCtl(args);
    EXPECT_EQ(result.m_Status, 1);
    for (const auto& [file, reason] : refused)
        EXPECT_NE(result.m_Err.find(std::string(file) + " not imported: " + reason),
                  std::string::npos)
            << file << ": " << result.m_Err;
    EXPECT_TRUE(CWave(dir.Path() + "/out/fine.wav").isValid());
    EXPECT_EQ(ReadFile(dir.Path() + "/out/welcome.wav"), "an older recording");
    CCtlResult forced = RunCtl({"import", "--force", dir.Path() + "/in/cdnum35.wav",
                                dir.Path() + "/in/welcome.wav", dir.Path() + "/out"});
    EXPECT_EQ(forced.m_Status, 0) << forced.m_Err;
    EXPECT_TRUE(CWave(dir.Path() + "/out/cdnum35.wav").isValid());
    EXPECT_TRUE(CWave(dir.Path() + "/out/welcome.wav").isValid());
}
