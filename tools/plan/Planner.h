#ifndef QUILLANE_PLANNER_H
#define QUILLANE_PLANNER_H

#include "TimeVal.h"

#include <iostream>
#include <string>

class CSchedule;

// Runs the real scheduler over a schedule directory on a virtual clock and prints what it
// would play, one line per announcement.
class CPlanner {
public:
    // Virtual time that may pass without an announcement before the preview gives up.
    static constexpr std::int64_t c_GiveUpSecs = 2 * 24 * 3600;
    // Announcements listed when no count is asked for.
    static constexpr long c_DefaultCount = 12;

    // Prints a_Count announcements from a_Start on a_Out, as lines or (a_Json) one JSON array;
    // returns the exit status: 0, or 1 when the schedule cannot be loaded (the loader's lines go
    // to a_Err). With a_SvgFile, also draws the interval a_Start falls in and these
    // announcements there (1 when it cannot).
    static int Run(const std::string& a_Dir, const CTimeVal& a_Start, long a_Count,
                   std::ostream& a_Out, std::ostream& a_Err, const std::string& a_SvgFile = "",
                   bool a_Json = false);

private:
    static int Draw(const CSchedule& a_Schedule, const CTimeVal& a_Start,
                    const std::string& a_Lines, const std::string& a_SvgFile, std::ostream& a_Err);
};

#endif
