#include "check/ChainTiming.h"

#include "Schedule.h"
#include "TimeRecord.h"
#include "shared/ChainPlacement.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cctype>

void CChainTiming::CTally::Add(float a_Value, const CTimeVal& a_Where) {
    if (m_Count++ == 0 || a_Value > m_Worst)
        m_Worst = a_Value;
    if (m_Count == 1)
        m_Example = a_Where;
}

std::string CChainTiming::CTally::Where(std::size_t a_Total) const {
    return "in " + std::to_string(m_Count) + " of the day's " + std::to_string(a_Total) +
           " intervals, e.g. the one starting " + m_Example.ClockText();
}

CChainTiming::CChainTiming(const CSchedule& a_Schedule, const CTimeVal& a_Day,
                           CChainNamer a_ChainName)
    : m_Schedule(a_Schedule), m_ChainName(std::move(a_ChainName)) {
    CTimeVal midnight = TodayAt(a_Day, 0, 0, 0);
    CTimeVal nextMidnight = TodayAt(a_Day, 24, 0, 0);
    for (CInterval interval(midnight, a_Schedule.FrequencySecs()); interval.Start() < nextMidnight;
         interval = interval.Next())
        m_Intervals.push_back(interval);
}

// The name as the first words of a sentence.
std::string CChainTiming::ChainName(float a_Key) const {
    std::string name = m_ChainName(a_Key);
    if (!name.empty())
        name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::size_t CChainTiming::PlaysPerDay(float a_Key) const {
    std::size_t plays = 0;
    ForEachInterval(a_Key, [&plays](const CInterval&, const CPlacedChain& a_Placed) {
        plays += !a_Placed.m_BeforeStart;
    });
    return plays;
}

void CChainTiming::ForEachInterval(float a_Key, const CIntervalVisit& a_Visit) const {
    CChain& chain = *m_Schedule.Program().at(a_Key);
    for (const CInterval& interval : m_Intervals)
        if (interval.Holds(a_Key))
            a_Visit(interval, CChainPlacement::Of(a_Key, chain, interval));
}

std::set<std::string> CChainTiming::NeededTimeSounds() const {
    std::set<std::string> needed;
    for (const CInterval& interval : m_Intervals)
        for (const CPlacedChain& placed : CChainPlacement::In(m_Schedule, interval))
            for (const auto& record : placed.m_Chain->Records())
                if (auto* timeRecord = dynamic_cast<const CTimeRecord*>(record.get()))
                    for (std::string& title : timeRecord->TitlesForTime(interval.AnnounceTime()))
                        needed.insert(std::move(title));
    return needed;
}

void CChainTiming::AddFindings(std::vector<CCheckFinding>& a_Findings) const {
    AddCutHour(a_Findings);
    for (const auto& entry : m_Schedule.Program())
        AddLongerThanKey(entry.first, a_Findings);
    for (std::size_t i = 0; i < m_Schedule.Program().size(); ++i)
        AddOverrun(i, a_Findings);
}

void CChainTiming::AddCutHour(std::vector<CCheckFinding>& a_Findings) const {
    std::vector<const CInterval*> hour; // the intervals of the day's first hour
    for (const CInterval& interval : m_Intervals)
        if (interval.Start().Hour() == m_Intervals.front().Start().Hour())
            hour.push_back(&interval);
    const CInterval& last = *hour.back();
    if (last.LengthSecs() == m_Schedule.FrequencySecs())
        return;
    std::string starts;
    for (const CInterval* interval : hour)
        starts += (starts.empty() ? ":" : (interval == &last ? " and :" : ", :")) +
                  interval->Start().ClockText().substr(3, 2);
    std::string skipped;
    for (const auto& entry : m_Schedule.Program())
        if (!last.Holds(entry.first))
            skipped += (skipped.empty() ? "" : ", ") + CInterval::KeyText(entry.first);
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::IntervalCut,
        "The interval " + IntervalText(m_Schedule.FrequencySecs()) +
            " does not divide the hour: intervals begin at " + starts +
            " of every hour, and the last one ends at the full hour, after " +
            IntervalText(last.LengthSecs()) + "; the time spoken in it is the full hour" +
            (skipped.empty()
                 ? ""
                 : "; chains keyed beyond its end (" + skipped + ") do not play in it"));
    // Only a chain keyed beyond the shorter interval plays otherwise than keyed.
    finding.m_ChangesPlay = !skipped.empty();
    if (skipped.empty())
        finding.m_Hint.clear();
    a_Findings.push_back(finding);
}

void CChainTiming::AddLongerThanKey(float a_Key, std::vector<CCheckFinding>& a_Findings) const {
    CTally tally;
    ForEachInterval(a_Key, [&tally](const CInterval& a_Interval, const CPlacedChain& a_Placed) {
        if (a_Placed.m_BeforeStart)
            tally.Add(a_Placed.m_Duration, a_Interval.Start());
    });
    if (tally.m_Count == 0)
        return;
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::LongerThanKey,
        ChainName(a_Key) + " finishes at its key but lasts up to " + DurationText(tally.m_Worst) +
            ", longer than its key: it is skipped " + tally.Where(m_Intervals.size()),
        "key it at least " + CInterval::KeyText(tally.m_Worst) +
            ", or let it start at its key (m_FinishAtTime 0)");
    finding.m_Keys = {a_Key};
    a_Findings.push_back(finding);
}

// The chain at a_Index of its intervals against the one after it: each neighbour it runs into
// is a finding of its own (with an interval cut at the hour, the last chain of the shorter one
// meets another neighbour than in the others).
void CChainTiming::AddOverrun(std::size_t a_Index, std::vector<CCheckFinding>& a_Findings) const {
    std::vector<Overrun> overruns;
    for (const CInterval& interval : m_Intervals) {
        std::vector<CPlacedChain> held = CChainPlacement::In(m_Schedule, interval);
        if (a_Index >= held.size())
            continue;
        bool wraps = a_Index + 1 == held.size();
        CInterval nextInterval = wraps ? interval.Next() : interval;
        std::vector<CPlacedChain> nextHeld =
            wraps ? CChainPlacement::In(m_Schedule, nextInterval) : held;
        if (nextHeld.empty() ||
            !CChainPlacement::Clashes(held[a_Index], nextHeld[wraps ? 0 : a_Index + 1]))
            continue;
        Overrun pair{held[a_Index].m_Key, nextHeld[wraps ? 0 : a_Index + 1].m_Key, wraps, {}};
        auto same = std::find_if(overruns.begin(), overruns.end(), [&](const Overrun& a_Other) {
            return a_Other.m_Key == pair.m_Key && a_Other.m_NextKey == pair.m_NextKey &&
                   a_Other.m_Wraps == pair.m_Wraps;
        });
        if (same == overruns.end())
            same = overruns.insert(overruns.end(), pair);
        same->m_Tally.Add(held[a_Index].m_End - interval.Start(), interval.Start());
    }
    for (const Overrun& overrun : overruns)
        a_Findings.push_back(OverrunFinding(overrun));
}

CCheckFinding CChainTiming::OverrunFinding(const Overrun& a_Overrun) const {
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::RunsPastNext, ChainName(a_Overrun.m_Key) + " plays until up to " +
                                    CInterval::KeyText(a_Overrun.m_Tally.m_Worst) +
                                    " into its interval, past the start of " +
                                    m_ChainName(a_Overrun.m_NextKey) +
                                    (a_Overrun.m_Wraps ? " in the next interval" : "") +
                                    ": that chain is then skipped or starts late, " +
                                    a_Overrun.m_Tally.Where(m_Intervals.size()));
    finding.m_Keys = {a_Overrun.m_Key, a_Overrun.m_NextKey};
    return finding;
}
