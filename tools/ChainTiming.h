#ifndef QUILLANE_CHAINTIMING_H
#define QUILLANE_CHAINTIMING_H

#include "CheckReport.h"
#include "TimeVal.h"

#include <set>
#include <string>
#include <vector>

class CChain;
class CSchedule;

// How a schedule's chains fall in time over every interval of one day, computed the way the
// scheduler computes them: durations and spoken times for each interval's announce time.
class CChainTiming {
public:
    // a_Day: any moment of the day to look at (local time).
    CChainTiming(const CSchedule& a_Schedule, const CTimeVal& a_Day);

    // The announce time of every interval of the day: intervals restart at every full hour.
    static std::vector<CTimeVal> DayAnnounceTimes(int a_FrequencySecs, const CTimeVal& a_Day);
    // The announce time for the interval a_Now lies in: the start of the following one.
    static CTimeVal AnnounceTimeFor(int a_FrequencySecs, const CTimeVal& a_Now);

    // The time sounds the schedule's time records speak over the day.
    std::set<std::string> NeededTimeSounds() const;
    // Chains that will not play as keyed.
    void AddFindings(std::vector<CCheckFinding>& a_Findings) const;

private:
    struct Placed {
        float m_Key;
        CChain* m_Chain;
    };
    // Seconds into the interval at which a chain starts for a_AnnounceTime.
    static float StartFor(const Placed& a_Placed, const CTimeVal& a_AnnounceTime);
    void AddBeyondInterval(std::vector<CCheckFinding>& a_Findings) const;
    void AddLongerThanKey(const Placed& a_Placed, std::vector<CCheckFinding>& a_Findings) const;
    void AddOverrun(std::size_t a_Index, std::vector<CCheckFinding>& a_Findings) const;
    // True when a_Chain, ending a_End seconds into its interval, runs past a_Next's start.
    bool Overruns(const Placed& a_Chain, const Placed& a_Next, bool a_Wraps,
                  const CTimeVal& a_AnnounceTime, float& a_End) const;

    const CSchedule& m_Schedule;
    std::vector<CTimeVal> m_AnnounceTimes;
    std::vector<Placed> m_InInterval; // chains whose key lies inside the interval, in key order
};

#endif
