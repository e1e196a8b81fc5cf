#include "ChainTiming.h"

#include "Schedule.h"
#include "TimeRecord.h"
#include "ToolText.h"

#include <cctype>

namespace {
// How often, and how badly, something happens over the day's intervals.
struct CTally {
    std::size_t m_Count = 0;
    float m_Worst = 0;
    CTimeVal m_Example{timeval{0, 0}}; // start of the first interval where it happens

    void Add(float a_Value, const CInterval& a_Interval) {
        if (m_Count++ == 0 || a_Value > m_Worst)
            m_Worst = a_Value;
        if (m_Count == 1)
            m_Example = a_Interval.Start();
    }
    std::string Where(std::size_t a_Total) const {
        return "in " + std::to_string(m_Count) + " of the day's " + std::to_string(a_Total) +
               " intervals, e.g. the one starting " + m_Example.ClockText();
    }
};

std::string Key(float a_Secs) {
    return CInterval::KeyText(a_Secs);
}

} // namespace

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

std::vector<CChainTiming::Placed> CChainTiming::Held(const CInterval& a_Interval) const {
    std::vector<Placed> held;
    for (const auto& entry : m_Schedule.Program())
        if (a_Interval.Holds(entry.first))
            held.push_back(Placed{entry.first, entry.second.get()});
    return held;
}

CTimeVal CChainTiming::StartIn(const CInterval& a_Interval, const Placed& a_Placed) {
    return a_Interval.StartOf(a_Placed.m_Key, a_Placed.m_Chain->AnchoredStart(),
                              a_Placed.m_Chain->DurationForTime(a_Interval.AnnounceTime()));
}

CTimeVal CChainTiming::EndIn(const CInterval& a_Interval, const Placed& a_Placed) {
    return a_Interval.EndOf(a_Placed.m_Key, a_Placed.m_Chain->AnchoredStart(),
                            a_Placed.m_Chain->DurationForTime(a_Interval.AnnounceTime()));
}

std::size_t CChainTiming::PlaysPerDay(float a_Key) const {
    std::size_t plays = 0;
    for (const CInterval& interval : m_Intervals)
        for (const Placed& placed : Held(interval))
            plays += placed.m_Key == a_Key && !(StartIn(interval, placed) < interval.Start());
    return plays;
}

std::set<std::string> CChainTiming::NeededTimeSounds() const {
    std::set<std::string> needed;
    for (const CInterval& interval : m_Intervals)
        for (const Placed& placed : Held(interval))
            for (const auto& record : placed.m_Chain->Records())
                if (auto* timeRecord = dynamic_cast<const CTimeRecord*>(record.get()))
                    for (std::string& title : timeRecord->TitlesForTime(interval.AnnounceTime()))
                        needed.insert(std::move(title));
    return needed;
}

void CChainTiming::AddFindings(std::vector<CCheckFinding>& a_Findings) const {
    AddCutHour(a_Findings);
    for (const auto& entry : m_Schedule.Program())
        AddLongerThanKey(Placed{entry.first, entry.second.get()}, a_Findings);
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
            skipped += (skipped.empty() ? "" : ", ") + Key(entry.first);
    CCheckFinding finding = CCheckFinding::Make(
        "interval-cut",
        "The interval " + IntervalText(m_Schedule.FrequencySecs()) +
            " does not divide the hour: intervals begin at " + starts +
            " of every hour, and the last one ends at the full hour, after " +
            IntervalText(last.LengthSecs()) + "; the time spoken in it is the full hour" +
            (skipped.empty() ? ""
                             : "; chains keyed beyond its end (" + skipped + ") do not play in it"),
        skipped.empty() ? ""
                        : "an interval that divides the hour (5:00, 10:00, 15:00, 20:00, "
                          "30:00) plays every chain in every interval");
    finding.m_ChangesPlay = !skipped.empty();
    a_Findings.push_back(finding);
}

void CChainTiming::AddLongerThanKey(const Placed& a_Placed,
                                    std::vector<CCheckFinding>& a_Findings) const {
    CTally tally;
    for (const CInterval& interval : m_Intervals)
        if (interval.Holds(a_Placed.m_Key) && StartIn(interval, a_Placed) < interval.Start())
            tally.Add(a_Placed.m_Chain->DurationForTime(interval.AnnounceTime()), interval);
    if (tally.m_Count == 0)
        return;
    CCheckFinding finding = CCheckFinding::Make(
        "longer-than-key",
        ChainName(a_Placed.m_Key) + " finishes at its key but lasts up to " +
            DurationText(tally.m_Worst) + ", longer than its key: it is skipped " +
            tally.Where(m_Intervals.size()),
        "key it at least " + Key(tally.m_Worst) +
            ", or let it start at its key (m_FinishAtTime 0)");
    finding.m_Keys = {a_Placed.m_Key};
    a_Findings.push_back(finding);
}

void CChainTiming::AddOverrun(std::size_t a_Index, std::vector<CCheckFinding>& a_Findings) const {
    CTally tally;
    Placed chain{}, next{};
    bool wraps = false;
    for (const CInterval& interval : m_Intervals) {
        std::vector<Placed> held = Held(interval);
        if (a_Index >= held.size())
            continue;
        wraps = a_Index + 1 == held.size();
        const CInterval& nextInterval = wraps ? interval.Next() : interval;
        std::vector<Placed> nextHeld = wraps ? Held(nextInterval) : held;
        if (nextHeld.empty())
            continue;
        chain = held[a_Index];
        next = nextHeld[wraps ? 0 : a_Index + 1];
        CTimeVal end = EndIn(interval, chain), nextStart = StartIn(nextInterval, next);
        // A next chain that starts before its interval is reported as longer than its key.
        if (!(nextStart < nextInterval.Start()) && nextStart < end)
            tally.Add(end - interval.Start(), interval);
    }
    if (tally.m_Count == 0)
        return;
    std::string nextName = m_ChainName(next.m_Key);
    CCheckFinding finding = CCheckFinding::Make(
        "runs-past-next",
        ChainName(chain.m_Key) + " plays until up to " + Key(tally.m_Worst) +
            " into its interval, past the start of " + nextName +
            (wraps ? " in the next interval" : "") +
            ": that chain is then skipped or starts late, " + tally.Where(m_Intervals.size()),
        "move the keys further apart, or shorten the recordings");
    finding.m_Keys = {chain.m_Key, next.m_Key};
    a_Findings.push_back(finding);
}
