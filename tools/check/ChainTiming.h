#ifndef QUILLANE_CHAINTIMING_H
#define QUILLANE_CHAINTIMING_H

#include "Interval.h"
#include "check/CheckReport.h"
#include "shared/ChainPlacement.h"

#include <set>
#include <string>
#include <vector>

class CElementCheck;
class CSchedule;

// How a schedule's chains fall in time over every interval of one day, by the rules the
// scheduler plays them by: durations and spoken times for each interval's announce time. Each
// interval is placed once, so the cost grows with the chains, not with their square.
class CChainTiming {
public:
    // a_Day: any moment of the day to look at (local time); examples are taken from its
    // interval on. a_Names names the chains and records in findings.
    CChainTiming(const CSchedule& a_Schedule, const CTimeVal& a_Day, const CElementCheck& a_Names);

    std::size_t IntervalsPerDay() const { return m_Intervals.size(); }
    // The intervals of the day in which the chain keyed at a_Key plays.
    std::size_t PlaysPerDay(float a_Key) const;
    // The time sounds the schedule's time records speak over the day.
    const std::set<std::string>& NeededTimeSounds() const { return m_Needed; }
    // Some chain plays some recording of the stick in some interval of the day.
    bool SomethingHeard() const { return m_Heard; }
    // Some chain plays in some interval of the day, silent or not.
    bool SomethingPlays() const;
    // How the hour is cut, chains that will not play as keyed, and spoken times heard at
    // another time than they say.
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
    struct COverrun {
        float m_Key, m_NextKey;
        bool m_Wraps;
        CTally m_Tally;
    };
    // A time record of a chain against the clock when it has been heard.
    struct CSpoken {
        std::size_t m_Index = 0; // in its chain
        int m_MinOffset = 0;
        std::size_t m_Wrong = 0;         // intervals where it is a minute or more off
        float m_Off = 0;                 // the example's seconds said ahead of the clock
        CTimeVal m_Heard{timeval{0, 0}}; // the example: when its sounds end
        int m_Says = 0;                  // and the minute of the day they say
        bool m_ExampleFromDay = false;   // the example lies at or after the day's moment
        // The m_OffsetTime values that would be right in every interval lie strictly between.
        float m_Lowest = -1e9f, m_Highest = 1e9f;
        float m_After = 0; // the longest the chain plays on after it
    };
    struct CChainFacts {
        float m_Key = 0;
        std::size_t m_Plays = 0;
        CTally m_Longer;
        std::vector<COverrun> m_Overruns;
        std::vector<CSpoken> m_Spoken;
    };

    void Judge(const CInterval& a_Interval, const std::vector<CPlacedChain>& a_Held);
    void JudgeSpoken(const CInterval& a_Interval, const CPlacedChain& a_Placed,
                     CChainFacts& a_Facts);
    void NoteOverrun(std::size_t a_Index, const CPlacedChain& a_Chain, const CPlacedChain& a_Next,
                     bool a_Wraps, const CTimeVal& a_Start);
    void AddCutHour(std::vector<CCheckFinding>& a_Findings) const;
    void AddLongerThanKey(const CChainFacts& a_Facts, std::vector<CCheckFinding>& a_Findings) const;
    CCheckFinding OverrunFinding(const COverrun& a_Overrun) const;
    void AddSpoken(const CChainFacts& a_Facts, std::vector<CCheckFinding>& a_Findings) const;
    std::string SpokenHint(const CChainFacts& a_Facts, const CSpoken& a_Spoken) const;

    std::string ChainName(float a_Key) const;

    const CSchedule& m_Schedule;
    const CElementCheck& m_Names;
    CTimeVal m_Day;
    std::vector<CInterval> m_Intervals; // every interval of the day, in time order
    std::vector<CChainFacts> m_Chains;  // in key order
    std::set<std::string> m_Needed;
    bool m_Heard = false;
};

#endif
