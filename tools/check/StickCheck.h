#ifndef QUILLANE_STICKCHECK_H
#define QUILLANE_STICKCHECK_H

#include "SoundLibrary.h"
#include "TimeVal.h"
#include "check/CheckReport.h"

#include <string>

class CChainTiming;
class CElementCheck;
class CSchedule;

// Looks at a stick the way the announcer will: catalogues its recordings, loads its schedule
// and reports everything that will not play as its author expects.
class CStickCheck {
public:
    // a_Now decides which announce time the chain durations are given for.
    static CCheckReport Run(const std::string& a_Given, const CTimeVal& a_Now);

private:
    static void Examine(CCheckReport& a_Report, const CSoundLibrary& a_Library,
                        const CTimeVal& a_Now);
    static void ExamineLoaded(CCheckReport& a_Report, const CSchedule& a_Schedule,
                              const CSoundLibrary& a_Library, const CElementCheck& a_Elements,
                              const CTimeVal& a_Now);
    static void ListChains(CCheckReport& a_Report, const CSchedule& a_Schedule,
                           const CChainTiming& a_Timing, const CElementCheck& a_Elements);
    static void AddMissingAnnouncements(CCheckReport& a_Report, const CSchedule& a_Schedule,
                                        const CSoundLibrary& a_Library,
                                        const CElementCheck& a_Elements);
    static void AddMissingTimeSounds(CCheckReport& a_Report, const CChainTiming& a_Timing,
                                     const CSoundLibrary& a_Library);
};

#endif
