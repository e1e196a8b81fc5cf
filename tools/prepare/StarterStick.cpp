#include "prepare/StarterStick.h"

#include "Interval.h"
#include "Schedule.h"
#include "Wave.h"
#include "prepare/Speech.h"
#include "prepare/StickFile.h"
#include "prepare/TimeSounds.h"
#include "prepare/TimeWords.h"
#include "shared/Failure.h"
#include "shared/StarterSchedule.h"
#include "shared/StickDir.h"
#include "shared/ToolText.h"
#include "shared/WaveFile.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

const char* const CStarterStick::c_PageName = "quillane-studio.html";

CStarterStick::CStarterStick(std::string a_Stick, bool a_Force, std::ostream& a_Out,
                             std::string a_Page)
    : m_Stick(std::move(a_Stick)), m_Force(a_Force), m_Out(a_Out), m_Page(std::move(a_Page)) {
    // As the checker names directories, so that its answer can be compared with ours.
    m_Stick = CStickDir::WithoutTrailingSlashes(m_Stick);
}

bool CStarterStick::ParseInterval(const std::string& a_Text, int& a_Secs) {
    std::size_t colon = a_Text.find(':');
    if (colon < 1 || colon > 2 || a_Text.size() != colon + 3 ||
        a_Text.find_first_not_of("0123456789", colon + 1) != std::string::npos ||
        a_Text.find_first_not_of("0123456789") != colon)
        return false;
    int seconds = std::stoi(a_Text.substr(colon + 1));
    a_Secs = std::stoi(a_Text.substr(0, colon)) * 60 + seconds;
    // Only an interval that divides the hour plays every chain in every interval; with any other
    // the last interval of each hour is cut short and the starter's spoken time is lost in it.
    return seconds < 60 && a_Secs > 0 && c_MaxIntervalSecs % a_Secs == 0;
}

std::string CStarterStick::FindPage() {
    std::error_code error;
    fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return "";
    for (const fs::path& page : {program.parent_path() / c_PageName,
                                 program.parent_path() / ".." / "share" / "quillane" / c_PageName})
        if (fs::is_regular_file(page, error))
            return page.lexically_normal().string();
    return "";
}

bool CStarterStick::CheckFree(std::string& a_Why) const {
    struct stat st {};
    // A stick that is not there yet is made; one that is there must be a directory.
    if (::stat(m_Stick.c_str(), &st) == 0 ? !S_ISDIR(st.st_mode) : errno != ENOENT)
        return Fail(a_Why, m_Stick + " is not a directory: give the directory where the stick "
                                     "is mounted");
    // Found out now rather than after every sound has been spoken.
    std::string parent = m_Stick.substr(0, m_Stick.find_last_of('/') + 1);
    if (!parent.empty() && ::stat(parent.c_str(), &st) != 0)
        return Fail(a_Why, "cannot make " + m_Stick + ": " + parent + " does not exist");
    std::string dir, why;
    if (!m_Force && CStickDir::Resolve(m_Stick, dir, why))
        return Fail(a_Why, dir + " already holds a schedule (" + CSchedule::c_FileName +
                               "); nothing was changed. Use --force to replace it and the sounds "
                               "init makes");
    return true;
}

bool CStarterStick::Make(int a_IntervalSecs, const CSpeech& a_Speech, const CTimeWords& a_Words,
                         std::string& a_Why) const {
    // Everything is spoken before anything is written, so a failure changes nothing.
    std::optional<CMonoSound> timeIs = a_Speech.Say(a_Words.For(CTimeWords::c_TimeIs), a_Why);
    std::optional<CTimeSounds> times;
    if (timeIs)
        times = CTimeSounds::Speak(a_Speech, a_Words, a_Why);
    std::string page;
    if (!times || !Fits(a_IntervalSecs, timeIs->Seconds() + times->LongestTimeSecs(), a_Why) ||
        !ReadPage(page, a_Why) || !MakeStick(a_Why) ||
        !WriteAll(a_IntervalSecs, *timeIs, *times, page, a_Why))
        return false;
    Tell(a_IntervalSecs, a_Speech.Voice(), times->Count());
    return true;
}

bool CStarterStick::Fits(int a_IntervalSecs, double a_TimeSecs, std::string& a_Why) {
    int shortest = a_IntervalSecs;
    while (shortest <= c_MaxIntervalSecs &&
           (c_MaxIntervalSecs % shortest != 0 || !ChainsFit(shortest, a_TimeSecs)))
        ++shortest;
    if (shortest == a_IntervalSecs)
        return true;
    char chains[160];
    std::snprintf(chains, sizeof chains,
                  "the chime (%.1f s from %s) and \"the time is\" with the time (up to %.1f s, "
                  "ending the interval)",
                  CStarterSchedule::Chime().Seconds(),
                  CInterval::KeyText(CStarterSchedule::ChimeKey(a_IntervalSecs)).c_str(),
                  a_TimeSecs);
    if (shortest > c_MaxIntervalSecs)
        return Fail(a_Why, std::string(chains) + " do not fit in any interval: shorten the words");
    return Fail(a_Why, "an interval of " + IntervalText(a_IntervalSecs) +
                           " is too short for the starter schedule: " + chains +
                           " would overlap, and check --strict would refuse the stick. Nothing "
                           "was made: give --interval " +
                           IntervalText(shortest) + " or longer");
}

// The chime from its key, and the spoken time ending as the interval ends, a tenth of a second
// apart at least.
bool CStarterStick::ChainsFit(int a_IntervalSecs, double a_TimeSecs) {
    return CStarterSchedule::ChimeKey(a_IntervalSecs) + CStarterSchedule::Chime().Seconds() + 0.1 <=
           a_IntervalSecs - a_TimeSecs;
}

// A stick not there yet is a directory for trying things out on a PC: made, and said so.
bool CStarterStick::MakeStick(std::string& a_Why) const {
    struct stat st {};
    if (::stat(m_Stick.c_str(), &st) == 0)
        return true;
    if (!CWaveFile::MakeDir(m_Stick, a_Why))
        return false;
    m_Out << "Made " << Printable(m_Stick) << ", which was not there yet" << std::endl;
    return true;
}

bool CStarterStick::WriteAll(int a_IntervalSecs, const CMonoSound& a_TimeIs,
                             const CTimeSounds& a_Times, const std::string& a_Page,
                             std::string& a_Why) const {
    std::string dir = m_Stick + "/" + c_DirName;
    if (!CWaveFile::MakeDir(dir, a_Why) || !CWaveFile::MakeDir(dir + "/times", a_Why))
        return false;
    CStickFile::Files files{
        {dir + "/chime.wav", CWaveFile::Bytes(CStarterSchedule::Chime())},
        {dir + "/" + CTimeWords::c_TimeIs + ".wav", CWaveFile::Bytes(a_TimeIs)}};
    a_Times.AddTo(dir + "/times", files);
    if (!m_Page.empty())
        files.emplace_back(m_Stick + "/" + c_PageName, a_Page);
    // The schedule last, when its sounds are in place.
    files.emplace_back(dir + "/" + CSchedule::c_FileName, CStarterSchedule::Text(a_IntervalSecs));
    return CStickFile::WriteAll(files, a_Why);
}

bool CStarterStick::ReadPage(std::string& a_Bytes, std::string& a_Why) const {
    if (m_Page.empty())
        return true;
    std::ifstream page(m_Page, std::ios::binary);
    if (!page)
        return Fail(a_Why, "cannot read " + m_Page + ": " + std::strerror(errno));
    a_Bytes.assign(std::istreambuf_iterator<char>(page), {});
    return true;
}

void CStarterStick::Tell(int a_IntervalSecs, const std::string& a_Voice,
                         std::size_t a_Count) const {
    std::string dir = m_Stick + "/" + c_DirName;
    m_Out << "Made " << Printable(dir) << ": a schedule (" << CSchedule::c_FileName
          << ") with an interval of " << IntervalText(a_IntervalSecs)
          << ", chime.wav, time-is.wav and " << a_Count << " time sounds in times/ (voice "
          << Printable(a_Voice) << ")" << std::endl;
    if (!m_Page.empty())
        m_Out << "Made " << Printable(m_Stick + "/" + c_PageName)
              << ": open it in a browser, on any computer, to check this stick and see its "
                 "timetable"
              << std::endl;
    m_Out << "Next: add announcements with quillanectl import FILE... " << Printable(m_Stick)
          << ", give each a record in the schedule, then run quillanectl check "
          << Printable(m_Stick) << std::endl;
    WarnOtherSchedule();
}

// The board takes the first directory holding a schedule; an older one may come first.
void CStarterStick::WarnOtherSchedule() const {
    std::string dir, why;
    if (CStickDir::Resolve(m_Stick, dir, why) && dir != m_Stick + "/" + c_DirName)
        m_Out << "Warning: " << Printable(dir) << " holds a schedule too, and the board may "
              << "use that one: remove or rename its " << CSchedule::c_FileName << std::endl;
}
