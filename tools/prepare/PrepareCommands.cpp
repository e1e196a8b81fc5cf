#include "prepare/PrepareCommands.h"

#include "prepare/Importer.h"
#include "prepare/Speech.h"
#include "prepare/StarterStick.h"
#include "prepare/StickFile.h"
#include "prepare/TimeSounds.h"
#include "prepare/TimeWords.h"
#include "shared/StickDir.h"
#include "shared/ToolText.h"
#include "shared/WaveFile.h"

#include <sys/stat.h>

namespace {
constexpr int c_Done = 0;
constexpr int c_NotMade = 1;
} // namespace

int CPrepareCommands::Voice(const std::string& a_Given, const CVoice& a_Voice) {
    return Speaking(a_Voice, [&](const CSpeech& a_Speech, const CTimeWords& a_Words) {
        return SpeakTimes(ScheduleDirOr(a_Given), a_Speech, a_Words, a_Voice);
    });
}

int CPrepareCommands::PrintWords() {
    CTimeWords::English().WriteTemplate(m_Out);
    return c_Done;
}

// The time sounds, and "the time is" when the words file gives it, all into a_Dir or none.
int CPrepareCommands::SpeakTimes(const std::string& a_Dir, const CSpeech& a_Speech,
                                 const CTimeWords& a_Words, const CVoice& a_Voice) {
    std::string why, times = a_Dir + "/times", timeIs = a_Dir + "/" + CTimeWords::c_TimeIs + ".wav";
    std::optional<CTimeSounds> sounds = CTimeSounds::Speak(a_Speech, a_Words, why);
    std::optional<CMonoSound> said;
    if (sounds && a_Words.TimeIsGiven())
        said = a_Speech.Say(a_Words.For(CTimeWords::c_TimeIs), why);
    CStickFile::Files files;
    if (!sounds || (a_Words.TimeIsGiven() && !said) || !CWaveFile::MakeDir(a_Dir, why) ||
        !CWaveFile::MakeDir(times, why))
        return Failed(why);
    sounds->AddTo(times, files);
    if (said)
        files.emplace_back(timeIs, CWaveFile::Bytes(*said));
    if (!CStickFile::WriteAll(files, why))
        return Failed(why);
    m_Out << "Wrote " << sounds->Count() << " time sounds to " << Printable(times)
          << (said ? " and " + Printable(timeIs) : "") << " (voice " << Printable(a_Voice.m_Name)
          << ", "
          << (a_Voice.m_WordsFile.empty() ? "English"
                                          : "words from " + Printable(a_Voice.m_WordsFile))
          << ", " << sounds->Lengths() << ")" << std::endl;
    return c_Done;
}

int CPrepareCommands::Import(std::vector<std::string> a_Paths, bool a_Force) {
    std::string dir = ScheduleDirOr(a_Paths.back());
    a_Paths.pop_back();
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return Failed(dir + " is not a directory: the last argument must be the directory to put "
                            "the recordings in");
    CImporter importer(dir, a_Force, m_Out, m_Err);
    if (!importer.NamesDistinct(a_Paths))
        return c_NotMade;
    bool all = true;
    for (const std::string& file : a_Paths)
        all = importer.Import(file) && all;
    return all ? c_Done : c_NotMade;
}

int CPrepareCommands::Init(const std::string& a_Stick, int a_IntervalSecs, bool a_Force,
                           const CVoice& a_Voice) {
    CStarterStick stick(a_Stick, a_Force, m_Out, CStarterStick::FindPage());
    std::string why;
    if (!stick.CheckFree(why))
        return Failed(why);
    return Speaking(a_Voice, [&](const CSpeech& a_Speech, const CTimeWords& a_Words) {
        return stick.Make(a_IntervalSecs, a_Speech, a_Words, why) ? c_Done : Failed(why);
    });
}

// A command that cannot do its work says why in one line and ends with status 1.
int CPrepareCommands::Failed(const std::string& a_Why) const {
    m_Err << "quillanectl: " << Printable(a_Why) << std::endl;
    return c_NotMade;
}

int CPrepareCommands::Speaking(
    const CVoice& a_Voice,
    const std::function<int(const CSpeech&, const CTimeWords&)>& a_Then) const {
    std::string why;
    std::optional<CTimeWords> words = Words(a_Voice, why);
    if (!words)
        return Failed(why);
    CSpeech speech(a_Voice.m_Name);
    if (!speech.isValid())
        return Failed(speech.lastError());
    return a_Then(speech, *words);
}

std::optional<CTimeWords> CPrepareCommands::Words(const CVoice& a_Voice, std::string& a_Why) {
    if (a_Voice.m_WordsFile.empty())
        return CTimeWords::English();
    return CTimeWords::Load(a_Voice.m_WordsFile, a_Why);
}

// A stick's mount point stands for the schedule directory on it, as for check; any other
// directory is taken as it is (and made by voice when missing).
std::string CPrepareCommands::ScheduleDirOr(const std::string& a_Given) {
    std::string dir, why;
    return CStickDir::Resolve(a_Given, dir, why) ? dir : a_Given;
}
