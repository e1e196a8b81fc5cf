#ifndef QUILLANE_STARTERSTICK_H
#define QUILLANE_STARTERSTICK_H

#include "shared/MonoSound.h"
#include "shared/StarterSchedule.h"

#include <iostream>
#include <string>

class CSpeech;
class CTimeSounds;
class CTimeWords;

// Makes a stick ready to announce: a schedule directory with a starter schedule, a chime,
// "the time is" and every time sound.
class CStarterStick {
public:
    static constexpr int c_DefaultIntervalSecs = CStarterSchedule::c_DefaultIntervalSecs;
    static constexpr int c_MaxIntervalSecs = 3600;
    static constexpr const char* c_DirName = CStarterSchedule::c_DirName;
    // The studio page, put at the top of the stick (the board looks only below it).
    static const char* const c_PageName;

    // M:SS or MM:SS, longer than zero and dividing the hour.
    static bool ParseInterval(const std::string& a_Text, int& a_Secs);

    // The studio page this quillanectl has: beside the program (in a build tree) or in
    // ../share/quillane from it (installed); empty when the page was not built.
    static std::string FindPage();

    // a_Page: the studio page to put on the stick, or empty for none.
    CStarterStick(std::string a_Stick, bool a_Force, std::ostream& a_Out, std::string a_Page = "");

    // Whether init may go on; false, with a_Why, when the stick is there but no directory, or
    // already holds a schedule and a_Force was not given. A missing stick is made by Make.
    bool CheckFree(std::string& a_Why) const;
    // Writes everything (replacing the schedule and the sounds it makes, nothing else) and
    // prints what was made; false, with a_Why, when something cannot be spoken or written.
    bool Make(int a_IntervalSecs, const CSpeech& a_Speech, const CTimeWords& a_Words,
              std::string& a_Why) const;

private:
    // Whether the starter schedule's chains fit in an interval of a_IntervalSecs without running
    // into each other, the spoken time lasting up to a_TimeSecs; false, with a_Why naming the
    // shortest interval in which they fit.
    static bool Fits(int a_IntervalSecs, double a_TimeSecs, std::string& a_Why);
    static bool ChainsFit(int a_IntervalSecs, double a_TimeSecs);
    bool MakeStick(std::string& a_Why) const;
    // The studio page's bytes into a_Bytes (none when there is no page to put on the stick).
    bool ReadPage(std::string& a_Bytes, std::string& a_Why) const;
    bool WriteAll(int a_IntervalSecs, const CMonoSound& a_TimeIs, const CTimeSounds& a_Times,
                  const std::string& a_Page, std::string& a_Why) const;
    void Tell(int a_IntervalSecs, const std::string& a_Voice, std::size_t a_Count) const;
    void WarnOtherSchedule() const;

    std::string m_Stick;
    bool m_Force;
    std::ostream& m_Out;
    std::string m_Page;
};

#endif
