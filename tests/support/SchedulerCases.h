#ifndef QUILLANE_SCHEDULERCASES_H
#define QUILLANE_SCHEDULERCASES_H

#include "Platform.h"
#include "SoundLibrary.h"
#include "TestSupport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CSchedule;

// The scheduler's table, which the board's virtual clock and plan's must both play as written.
// Each case: the records, the interval, the wall clock at the start, how many passes, what they
// play (the lines telling of wall-clock steps and quiet hours, then each start and its sound
// names, or where the clock is when nothing plays), how long each playback lasts, where the wall
// clock jumps, what stands outside Records, and how many waits for a moment there are (-1: not
// counted).
struct CSchedulerCase {
    std::string m_Records;
    const char* m_Frequency;
    CTimeVal m_Wall;
    int m_Passes;
    std::string m_Plays;
    std::int64_t m_PlayMicros = 1000000;
    std::vector<std::pair<CTimeVal, std::int64_t>> m_Steps = {};
    std::string m_Top = "";
    int m_Waits = -1;
};

// The recordings the cases play, catalogued: hello (2 s), ann8 (8 s), chime (0.2 s) and a few
// time sounds of 1 s.
class CSchedulerStick {
public:
    CSchedulerStick();
    const std::string& Path() const { return m_Dir.Path(); }

private:
    CTempDir m_Dir;
    std::unique_ptr<CSoundLibrary> m_Library;
};

// In the zone Europe/Berlin, which must be set.
std::vector<CSchedulerCase> SchedulerCases();
// Loads a_Case into a_Schedule (with a lead-in file when it has a lead-in), then plays the
// greeting and a_Case's passes; false when it does not load.
bool PlayCase(CSchedule& a_Schedule, const CSchedulerCase& a_Case);
// What was played, as CSchedulerCase::m_Plays writes it, from the scheduler's lines a_Out and
// a_Plays (the wall clock at each start); a_Now is where the clock is at the end.
std::string PlaysText(const std::string& a_Out,
                      const std::vector<std::pair<CTimeVal, CPlayback>>& a_Plays, CTimeVal a_Now);

#endif
