#ifndef QUILLANE_CHAINTIMING_H
#define QUILLANE_CHAINTIMING_H

#include "CheckReport.h"
#include "Interval.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

class CChain;
class CSchedule;

// How a schedule's chains fall in time over every interval of one day, by the rules the
// scheduler plays them by: durations and spoken times for each interval's announce time.
class CChainTiming {
public:
    // How findings name the chain keyed at a key, e.g. "the chain of record 3 (in-five) at 0:15.0".
    using CChainNamer = std::function<std::string(float)>;

    // a_Day: any moment of the day to look at (local time).
    CChainTiming(const CSchedule& a_Schedule, const CTimeVal& a_Day, CChainNamer a_ChainName);

    std::size_t IntervalsPerDay() const { return m_Intervals.size(); }
    // The intervals of the day in which the chain keyed at a_Key plays.
    std::size_t PlaysPerDay(float a_Key) const;
    // The time sounds the schedule's time records speak over the day.
    std::set<std::string> NeededTimeSounds() const;
    // How the hour is cut, and chains that will not play as keyed.
    void AddFindings(std::vector<CCheckFinding>& a_Findings) const;

private:
    struct Placed {
        float m_Key;
        CChain* m_Chain;
    };
    std::vector<Placed> Held(const CInterval& a_Interval) const;
    static CTimeVal StartIn(const CInterval& a_Interval, const Placed& a_Placed);
    static CTimeVal EndIn(const CInterval& a_Interval, const Placed& a_Placed);
    void AddCutHour(std::vector<CCheckFinding>& a_Findings) const;
    void AddLongerThanKey(const Placed& a_Placed, std::vector<CCheckFinding>& a_Findings) const;
    void AddOverrun(std::size_t a_Index, std::vector<CCheckFinding>& a_Findings) const;

    std::string ChainName(float a_Key) const;

    const CSchedule& m_Schedule;
    CChainNamer m_ChainName;
    std::vector<CInterval> m_Intervals; // every interval of the day, in time order
};

#endif
