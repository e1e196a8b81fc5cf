#ifndef QUILLANE_CHAINTIMING_H
#define QUILLANE_CHAINTIMING_H

#include "Interval.h"
#include "check/CheckReport.h"
#include "shared/ChainPlacement.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

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
    // How often, and how badly, something happens over the day's intervals.
    struct CTally {
        std::size_t m_Count = 0;
        float m_Worst = 0;
        CTimeVal m_Example{timeval{0, 0}}; // start of the first interval where it happens

        // a_Where: the start of the interval where it happens.
        void Add(float a_Value, const CTimeVal& a_Where);
        std::string Where(std::size_t a_Total) const;
    };
    // A chain running past the start of the next one, in the same interval or (m_Wraps) the
    // next interval.
    struct Overrun {
        float m_Key, m_NextKey;
        bool m_Wraps;
        CTally m_Tally;
    };
    // Visits the chain keyed at a_Key in each interval of the day that holds its key.
    using CIntervalVisit = std::function<void(const CInterval&, const CPlacedChain&)>;
    void ForEachInterval(float a_Key, const CIntervalVisit& a_Visit) const;
    void AddCutHour(std::vector<CCheckFinding>& a_Findings) const;
    void AddLongerThanKey(float a_Key, std::vector<CCheckFinding>& a_Findings) const;
    void AddOverrun(std::size_t a_Index, std::vector<CCheckFinding>& a_Findings) const;
    CCheckFinding OverrunFinding(const Overrun& a_Overrun) const;

    std::string ChainName(float a_Key) const;

    const CSchedule& m_Schedule;
    CChainNamer m_ChainName;
    std::vector<CInterval> m_Intervals; // every interval of the day, in time order
};

#endif
