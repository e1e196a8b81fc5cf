#include "CtlSupport.h"
#include "TimeRecord.h"
#include "Wave.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {
// A made-up language: two syllables for each time sound, after a comment and a blank line.
std::string MadeUpWords() {
    const char* const syllables[] = {"ka", "lo", "mi", "nu", "pe", "ra", "so", "tu"};
    std::string text = "# made-up words\n\n";
    std::vector<std::string> names = CTimeRecord::AllTitles();
    for (std::size_t i = 0; i < names.size(); ++i)
        text += names[i] + "\t" + syllables[i % 8] + " " + syllables[i / 8 % 8] + "\n";
    return text;
}

// Samples before the first and after the last one louder than 1 % of full scale.
std::pair<std::size_t, std::size_t> QuietEnds(const std::vector<std::int16_t>& a_Samples) {
    auto loud = [](std::int16_t a_Sample) { return std::abs(a_Sample) > 327; };
    auto first = std::find_if(a_Samples.begin(), a_Samples.end(), loud);
    auto last = std::find_if(a_Samples.rbegin(), a_Samples.rend(), loud);
    return {std::size_t(first - a_Samples.begin()), std::size_t(last - a_Samples.rbegin())};
}

struct BadWords {
    const char* m_Case;
    std::string m_Text;
    std::string m_Message; // part of the one line on standard error
    const char* m_Voice;
};
} // namespace

TEST(CtlVoiceTest, SpeaksEveryTimeSoundOfAWordsFileTrimmed) {
    CTempDir dir;
    std::string words = dir.Write("words.txt", MadeUpWords());
    CCtlResult result = RunCtl({"voice", dir.Path() + "/stick", "--voice", "de", "--words", words});
    ASSERT_EQ(result.m_Status, 0) << result.m_Err;
    EXPECT_NE(result.m_Out.find("Wrote 93 time sounds"), std::string::npos) << result.m_Out;
    for (const std::string& name : CTimeRecord::AllTitles()) {
        std::string path = dir.Path() + "/stick/times/" + name + ".wav";
        CWave wave(path);
        ASSERT_TRUE(wave.isValid()) << name << ": " << wave.lastError();
        EXPECT_GT(wave.getDuration(), 0.2f) << name;
        EXPECT_LT(wave.getDuration(), 1.5f) << name;
        auto [before, after] = QuietEnds(PcmSamples(path));
        EXPECT_LE(before, 0.03 * 22050) << name << " starts with silence";
        EXPECT_LE(after, 0.03 * 22050) << name << " ends with silence";
    }
}

TEST(CtlVoiceTest, BadWordsFileOrVoiceIsRefusedAndNothingWritten) {
    const std::string good = MadeUpWords(); // 95 lines
    const std::string withoutCdnum35 =
        good.substr(0, good.find("cdnum35\t")) + good.substr(good.find("cdnum36\t"));
    const BadWords cases[] = {
        {"UnknownName", good + "cdnum60\tx\n", "words.txt:96: \"cdnum60\" is not a time sound",
         "en"},
        {"NoTab", good + "cdnum14 x\n", "words.txt:96: no tab between the name and the words",
         "en"},
        {"GivenTwice", good + "cdnum14\tx\n", "words.txt:96: cdnum14 is given a second time", "en"},
        {"NoWords", "cdnum14\t \n" + good, "words.txt:1: no words after the tab for cdnum14", "en"},
        {"NameMissing", withoutCdnum35, "words.txt has no words for cdnum35:", "en"},
        {"UnknownVoice", good, "there is no voice \"no-such-voice\"", "no-such-voice"}};
    for (const BadWords& bad : cases) {
        CTempDir dir;
        std::string words = dir.Write("words.txt", bad.m_Text);
        CCtlResult result =
            RunCtl({"voice", dir.Path() + "/stick", "--words", words, "--voice", bad.m_Voice});
        EXPECT_EQ(result.m_Status, 1) << bad.m_Case;
        EXPECT_NE(result.m_Err.find(bad.m_Message), std::string::npos)
            << bad.m_Case << ": " << result.m_Err;
        struct stat st {};
        EXPECT_NE(::stat((dir.Path() + "/stick").c_str(), &st), 0) << bad.m_Case;
    }
}
