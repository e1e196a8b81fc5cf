#include "check/ChainTiming.h"

#include "Schedule.h"
#include "TimeRecord.h"
#include "check/ElementCheck.h"
#include "shared/ChainPlacement.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {
constexpr int c_SecsPerDay = 24 * 3600;
constexpr float c_Minute = 60;

// a_Secs brought into the half-day either side of zero: a minute offset of a whole day or more
// says the same time of day.
float AroundZero(float a_Secs) {
    float secs = std::fmod(a_Secs, float(c_SecsPerDay));
    if (secs > c_SecsPerDay / 2)
        secs -= c_SecsPerDay;
    else if (secs <= -c_SecsPerDay / 2)
        secs += c_SecsPerDay;
    return secs;
}

// "5 minutes", "4 minutes 28 seconds", "40 seconds".
std::string MinutesText(float a_Secs) {
    long secs = std::lround(std::fabs(a_Secs));
    auto unit = [](long a_Count, const char* a_Unit) {
        return std::to_string(a_Count) + " " + a_Unit + (a_Count == 1 ? "" : "s");
    };
    std::string text = secs >= 60 ? unit(secs / 60, "minute") : "";
    if (secs % 60 != 0)
        text += (text.empty() ? "" : " ") + unit(secs % 60, "second");
    return text;
}

} // namespace

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
                           const CElementCheck& a_Names)
    : m_Schedule(a_Schedule), m_Names(a_Names),
      m_Day(CInterval(a_Day, a_Schedule.FrequencySecs()).Start()) {
    CTimeVal midnight = TodayAt(a_Day, 0, 0, 0);
    CTimeVal nextMidnight = TodayAt(a_Day, 24, 0, 0);
    for (CInterval interval(midnight, a_Schedule.FrequencySecs()); interval.Start() < nextMidnight;
         interval = interval.Next())
        m_Intervals.push_back(interval);
    for (const auto& [key, chain] : a_Schedule.Program()) {
        CChainFacts facts;
        facts.m_Key = key;
        std::size_t index = 0;
        for (const auto& record : chain->Records()) {
            if (auto* timeRecord = dynamic_cast<const CTimeRecord*>(record.get())) {
                facts.m_Spoken.emplace_back();
                facts.m_Spoken.back().m_Index = index;
                facts.m_Spoken.back().m_MinOffset = timeRecord->MinOffset();
            }
            ++index;
        }
        m_Chains.push_back(std::move(facts));
    }
    // The day's intervals, and the next day's first for the last chain of the day to run into.
    std::vector<CPlacedChain> previous;
    for (std::size_t i = 0; i <= m_Intervals.size() && !m_Intervals.empty(); ++i) {
        CInterval interval = i < m_Intervals.size() ? m_Intervals[i] : m_Intervals.back().Next();
        std::vector<CPlacedChain> held = CChainPlacement::In(m_Schedule, interval);
        if (!previous.empty() && !held.empty() &&
            CChainPlacement::Clashes(previous.back(), held.front()))
            NoteOverrun(previous.size() - 1, previous.back(), held.front(), true,
                        m_Intervals[i - 1].Start());
        if (i < m_Intervals.size())
            Judge(interval, held);
        previous = std::move(held);
    }
}

// The chains an interval holds are the first ones in key order: the key lies in it.
void CChainTiming::Judge(const CInterval& a_Interval, const std::vector<CPlacedChain>& a_Held) {
    for (std::size_t i = 0; i < a_Held.size(); ++i) {
        const CPlacedChain& placed = a_Held[i];
        CChainFacts& facts = m_Chains[i];
        if (placed.m_BeforeStart) {
            facts.m_Longer.Add(placed.m_Duration, a_Interval.Start());
            continue;
        }
        ++facts.m_Plays;
        m_Heard = m_Heard || placed.m_Duration > 0;
        if (i + 1 < a_Held.size() && CChainPlacement::Clashes(placed, a_Held[i + 1]))
            NoteOverrun(i, placed, a_Held[i + 1], false, a_Interval.Start());
        if (!facts.m_Spoken.empty())
            JudgeSpoken(a_Interval, placed, facts);
    }
}

// When each time record's sounds end, against the time they say.
void CChainTiming::JudgeSpoken(const CInterval& a_Interval, const CPlacedChain& a_Placed,
                               CChainFacts& a_Facts) {
    CTimeVal announce = a_Interval.AnnounceTime();
    CTimeVal heard = a_Placed.m_Start;
    auto spoken = a_Facts.m_Spoken.begin();
    std::size_t index = 0;
    for (const auto& record : a_Placed.m_Chain->Records()) {
        heard.AddSecs(record->DurationForTime(announce));
        if (spoken == a_Facts.m_Spoken.end() || spoken->m_Index != index++)
            continue;
        auto* timeRecord = static_cast<const CTimeRecord*>(record.get());
        std::vector<std::string> titles = timeRecord->TitlesForTime(announce);
        m_Needed.insert(titles.begin(), titles.end());
        // How far what it says lies ahead of the moment it is heard, and so without its minute
        // offset, from which the offsets that would make it right follow. Counted in time
        // passed, not on the clock's face, which jumps when summer time begins or ends.
        float ahead = AroundZero(announce - heard);
        float off = AroundZero(ahead + c_Minute * float(spoken->m_MinOffset));
        spoken->m_Lowest = std::max(spoken->m_Lowest, (-c_Minute - ahead) / c_Minute);
        spoken->m_Highest = std::min(spoken->m_Highest, (c_Minute - ahead) / c_Minute);
        spoken->m_After = std::max(spoken->m_After, a_Placed.m_End - heard);
        bool fromDay = !(a_Interval.Start() < m_Day);
        if (std::fabs(off) >= c_Minute &&
            (spoken->m_Wrong++ == 0 || (fromDay && !spoken->m_ExampleFromDay))) {
            spoken->m_Off = off;
            spoken->m_Heard = heard;
            spoken->m_Says = SpokenMinute(titles);
            spoken->m_ExampleFromDay = fromDay;
        }
        ++spoken;
    }
}

void CChainTiming::NoteOverrun(std::size_t a_Index, const CPlacedChain& a_Chain,
                               const CPlacedChain& a_Next, bool a_Wraps, const CTimeVal& a_Start) {
    std::vector<COverrun>& overruns = m_Chains[a_Index].m_Overruns;
    auto same = std::find_if(overruns.begin(), overruns.end(), [&](const COverrun& a_Other) {
        return a_Other.m_NextKey == a_Next.m_Key && a_Other.m_Wraps == a_Wraps;
    });
    if (same == overruns.end())
        same = overruns.insert(overruns.end(), COverrun{a_Chain.m_Key, a_Next.m_Key, a_Wraps, {}});
    same->m_Tally.Add(a_Chain.m_End - a_Start, a_Start);
}

// The name as the first words of a sentence.
std::string CChainTiming::ChainName(float a_Key) const {
    std::string name = m_Names.ChainLabel(a_Key);
    if (!name.empty())
        name[0] = char(std::toupper(static_cast<unsigned char>(name[0])));
    return name;
}

std::size_t CChainTiming::PlaysPerDay(float a_Key) const {
    auto found = std::lower_bound(
        m_Chains.begin(), m_Chains.end(), a_Key,
        [](const CChainFacts& a_Facts, float a_Wanted) { return a_Facts.m_Key < a_Wanted; });
    return found != m_Chains.end() && found->m_Key == a_Key ? found->m_Plays : 0;
}

bool CChainTiming::SomethingPlays() const {
    return std::any_of(m_Chains.begin(), m_Chains.end(),
                       [](const CChainFacts& a_Facts) { return a_Facts.m_Plays != 0; });
}

void CChainTiming::AddFindings(std::vector<CCheckFinding>& a_Findings) const {
    if (m_Intervals.empty())
        return;
    AddCutHour(a_Findings);
    for (const CChainFacts& facts : m_Chains)
        AddLongerThanKey(facts, a_Findings);
    for (const CChainFacts& facts : m_Chains)
        for (const COverrun& overrun : facts.m_Overruns)
            a_Findings.push_back(OverrunFinding(overrun));
    for (const CChainFacts& facts : m_Chains)
        AddSpoken(facts, a_Findings);
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
    a_Findings.push_back(finding);
}

void CChainTiming::AddLongerThanKey(const CChainFacts& a_Facts,
                                    std::vector<CCheckFinding>& a_Findings) const {
    const CTally& tally = a_Facts.m_Longer;
    if (tally.m_Count == 0)
        return;
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::LongerThanKey,
        ChainName(a_Facts.m_Key) + " finishes at its key but lasts up to " +
            DurationText(tally.m_Worst) + ", longer than its key: it is skipped " +
            tally.Where(m_Intervals.size()),
        "key it at least " + CInterval::KeyText(tally.m_Worst) +
            ", or let it start at its key (m_FinishAtTime 0)");
    finding.m_Keys = {a_Facts.m_Key};
    a_Findings.push_back(finding);
}

CCheckFinding CChainTiming::OverrunFinding(const COverrun& a_Overrun) const {
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::RunsPastNext, ChainName(a_Overrun.m_Key) + " plays until up to " +
                                    CInterval::KeyText(a_Overrun.m_Tally.m_Worst) +
                                    " into its interval, past the start of " +
                                    m_Names.ChainLabel(a_Overrun.m_NextKey) +
                                    (a_Overrun.m_Wraps ? " in the next interval" : "") +
                                    ": that chain is then skipped or starts late, " +
                                    a_Overrun.m_Tally.Where(m_Intervals.size()));
    finding.m_Keys = {a_Overrun.m_Key, a_Overrun.m_NextKey};
    return finding;
}

// One finding for a chain: its first time record that is heard a minute or more away from the
// time it says, somewhere in the day.
void CChainTiming::AddSpoken(const CChainFacts& a_Facts,
                             std::vector<CCheckFinding>& a_Findings) const {
    auto wrong = std::find_if(a_Facts.m_Spoken.begin(), a_Facts.m_Spoken.end(),
                              [](const CSpoken& a_Spoken) { return a_Spoken.m_Wrong != 0; });
    if (wrong == a_Facts.m_Spoken.end())
        return;
    CTimeVal heard = wrong->m_Heard;
    heard.AddSecs(0.5f); // to the nearest second
    CCheckFinding finding = CCheckFinding::Make(
        EFinding::WrongSpokenTime,
        ChainName(a_Facts.m_Key) + " speaks the wrong time: at " + heard.ClockText() + " it says " +
            MinuteText(wrong->m_Says) + ", " + MinutesText(wrong->m_Off) +
            (wrong->m_Off > 0 ? " early" : " late") + ", in " + std::to_string(wrong->m_Wrong) +
            " of the day's " + std::to_string(m_Intervals.size()) + " intervals",
        SpokenHint(a_Facts, *wrong));
    finding.m_Keys = {a_Facts.m_Key};
    finding.m_Record = m_Names.ChainRecord(a_Facts.m_Key, wrong->m_Index);
    a_Findings.push_back(finding);
}

// The ways to make it right: the record back in the chain it was meant for; the chain keyed to
// end as the interval ends; the minutes added to the time spoken.
std::string CChainTiming::SpokenHint(const CChainFacts& a_Facts, const CSpoken& a_Spoken) const {
    std::vector<std::string> ways;
    std::size_t record = m_Names.ChainRecord(a_Facts.m_Key, a_Spoken.m_Index);
    std::size_t first = m_Names.ChainRecord(a_Facts.m_Key, 0);
    std::string recordName = m_Names.RecordName(record);
    float ownKey = 0;
    bool ownFinish = false;
    if (a_Spoken.m_Index > 0 && m_Names.OwnTiming(record, ownKey, ownFinish) &&
        (ownKey != a_Facts.m_Key ||
         ownFinish == m_Schedule.Program().at(a_Facts.m_Key)->AnchoredStart()))
        ways.push_back(recordName + " joins " + m_Names.ChainLabel(a_Facts.m_Key) +
                       " (m_AfterMsg 1), not the chain its own key " + CInterval::KeyText(ownKey) +
                       " names: move it right after the record it should follow");
    int longest = CInterval::LongestSecs(m_Schedule.FrequencySecs());
    bool endsThere =
        a_Facts.m_Key == float(longest) && !m_Schedule.Program().at(a_Facts.m_Key)->AnchoredStart();
    if (a_Spoken.m_After < c_Minute && !endsThere)
        ways.push_back("key the chain at " + CInterval::KeyText(float(longest)) +
                       " with m_FinishAtTime 1 in " + m_Names.RecordName(first) +
                       (a_Spoken.m_MinOffset != 0 ? " and m_OffsetTime 0 in " + recordName : "") +
                       ", so that it ends as the interval ends");
    // The nearest whole minutes to the example's that are right in every interval, if any are.
    float offset = std::round(-a_Spoken.m_Off / c_Minute) + float(a_Spoken.m_MinOffset);
    if (!(offset > a_Spoken.m_Lowest))
        offset = std::floor(a_Spoken.m_Lowest) + 1;
    if (!(offset < a_Spoken.m_Highest))
        offset = std::ceil(a_Spoken.m_Highest) - 1;
    if (offset > a_Spoken.m_Lowest && offset < a_Spoken.m_Highest)
        ways.push_back("set m_OffsetTime to " + std::to_string(int(offset)) + " in " + recordName);
    std::string hint;
    for (const std::string& way : ways)
        hint += (hint.empty() ? "" : "; or ") + way;
    return hint.empty() ? "choose an interval that divides the hour" : hint;
}
