#ifndef QUILLANE_STARTERSCHEDULE_H
#define QUILLANE_STARTERSCHEDULE_H

#include "shared/MonoSound.h"

#include <string>

// What init starts a stick with besides the spoken sounds, for quillanectl and the studio page
// alike: the starter schedule, its records' layout, and the chime.
class CStarterSchedule {
public:
    static constexpr int c_DefaultIntervalSecs = 300;
    // The schedule directory made below the stick.
    static constexpr const char* c_DirName = "announcer";
    // The name of the recording spoken before the time.
    static constexpr const char* c_TimeIs = "time-is";

    // The starter schedule: the chime 30 s into each interval (half-way into one shorter than
    // a minute) and "the time is" with the time, finishing as the next interval begins.
    static std::string Text(int a_IntervalSecs);
    // One record as the starter schedule lays it out, on lines of its own.
    static std::string RecordText(const std::string& a_Name, const std::string& a_Type,
                                  const std::string& a_Key, bool a_Finish, bool a_After);
    static float ChimeKey(int a_IntervalSecs);
    // A two-tone bell, made from decaying sine waves.
    static CMonoSound Chime();
};

#endif
