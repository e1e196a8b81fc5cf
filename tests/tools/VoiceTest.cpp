#include "CtlSupport.h"
#include "TimeRecord.h"
#include "Wave.h"
#include "prepare/TimeWords.h"

#include <gtest/gtest.h>

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
} // namespace

// The files there before: a time sound of the same name is replaced, every other file is left
// as it was.
TEST(VoiceTest, SpeaksEveryTimeSoundOfAWordsFileTrimmedOfSilence) {
    const std::pair<const char*, bool> before[] = {// the file, replaced
                                                   {"stick/times/cdnum14.wav", true},
                                                   {"stick/times/cdnum14.WAV.old", false},
                                                   {"stick/times/other.wav", false},
                                                   {"stick/hello.wav", false},
                                                   {"stick/times/cdnum60.wav", false}};
    CTempDir dir;
    for (const auto& [rel, replaced] : before)
        dir.Write(rel, "there before");
    // Written on Windows: a byte-order mark first; and "the time is" in the same language.
    std::string words = dir.Write("words.txt", "\xEF\xBB\xBF" + MadeUpWords() + "time-is\tso ra\n");
    CCtlResult result =
        RunCtl({"voice", dir.Path() + "/stick", "--voice", "de+f3", "--words", words});
    ASSERT_EQ(result.m_Status, 0) << result.m_Err;
    for (const auto& [rel, replaced] : before)
        EXPECT_EQ(ReadFile(dir.Path() + "/" + rel) != "there before", replaced) << rel;
    EXPECT_EQ(result.m_Out.rfind("Wrote 93 time sounds to " + dir.Path() + "/stick/times and " +
                                     dir.Path() + "/stick/time-is.wav",
                                 0),
              0u);
    EXPECT_TRUE(CWave(dir.Path() + "/stick/time-is.wav").isValid());
    auto loud = [](std::int16_t a_Sample) { return std::abs(a_Sample) > 327; }; // 1 %
    for (const std::string& name : CTimeRecord::AllTitles()) {
        CWave wave(dir.Path() + "/stick/times/" + name + ".wav");
        ASSERT_TRUE(wave.isValid()) << name << ": " << wave.lastError();
        EXPECT_TRUE(wave.getDuration() > 0.2f && wave.getDuration() < 1.5f) << name;
        auto samples = PcmSamples(dir.Path() + "/stick/times/" + name + ".wav");
        EXPECT_LT(std::find_if(samples.begin(), samples.end(), loud) - samples.begin(), 661)
            << name;
        EXPECT_LT(std::find_if(samples.rbegin(), samples.rend(), loud) - samples.rbegin(), 661)
            << name << " ends in silence";
    }
}

TEST(VoiceTest, BadWordsFileOrVoiceIsRefusedAndNothingWritten) {
    const std::string good = MadeUpWords(); // 95 lines
    const std::size_t cdnum35 = good.find("cdnum35\t"), next = good.find('\n', cdnum35) + 1;
    const std::string cases[][3] = {
        // words, voice, the message on standard error
        {good + "cdnum60\tx\n", "en", "words.txt:96: \"cdnum60\" is not a time sound name"},
        {good + "cdnum14 x\n", "en", "words.txt:96: no tab between the name and the words"},
        {good + "cdnum14\tx\n", "en", "words.txt:96: cdnum14 is given a second time"},
        {"cdnum14\t \n" + good, "en", "words.txt:1: no words after the tab for cdnum14"},
        {good.substr(0, cdnum35) + good.substr(next), "en",
         "words.txt has no words for cdnum35: every time sound needs a line"},
        {good, "no-such-voice", "there is no voice \"no-such-voice\""},
        {good, "en+nosuchvariant", "there is no voice \"en+nosuchvariant\""}};
    for (const auto& [text, voice, message] : cases) {
        CTempDir dir;
        std::string words = dir.Write("words.txt", text);
        CCtlResult result = RunCtl({"voice", dir.Path(), "--words", words, "--voice", voice});
        EXPECT_EQ(result.m_Status, 1) << message;
        EXPECT_NE(result.m_Err.find(message), std::string::npos) << result.m_Err;
        EXPECT_FALSE(CWave(dir.Path() + "/times/cdnum14.wav").isValid()) << message;
    }
}

TEST(VoiceTest, EnglishWordsSpeakTheTimesTheAnnouncerAssemblesAndReadBackAsTheyArePrinted) {
    CTempDir dir;
    std::string printed = RunCtl({"voice", "--print-words"}).m_Out, why;
    EXPECT_NE(printed.find("cdnum10 to cdnum23 serve both as hours and as minutes"),
              std::string::npos);
    std::optional<CTimeWords> read = CTimeWords::Load(dir.Write("words.txt", printed), why);
    ASSERT_TRUE(read) << why;
    std::vector<std::string> names = CTimeRecord::AllTitles();
    names.push_back(CTimeWords::c_TimeIs);
    for (const std::string& name : names)
        EXPECT_EQ(read->For(name), CTimeWords::English().For(name)) << name;
    EXPECT_TRUE(read->TimeIsGiven());
    std::string said;
    for (const char* name :
         {"cdnum7", "cdnum07", "cdnum00", "cdnum35", "cdnum40", "cdhour00", "cdhour07", "cdhour14"})
        said += CTimeWords::English().For(name) + "/";
    EXPECT_EQ(said, "seven/oh seven/zero/thirty-five/forty/midnight/oh seven hundred/fourteen "
                    "hundred/");
}
