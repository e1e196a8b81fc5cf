#include "ChainTiming.h"

#include "Schedule.h"
#include "TimeRecord.h"
#include "ToolText.h"

#include <ctime>

namespace {
constexpr int c_SecsPerHour = 3600;

CTimeVal LocalHourStart(const CTimeVal& a_Day, int a_Hour) {
    std::time_t secs = std::time_t(a_Day.Seconds());
    std::tm fields{};
    localtime_r(&secs, &fields);
    fields.tm_hour = a_Hour;
    fields.tm_min = 0;
    fields.tm_sec = 0;
    fields.tm_isdst = -1;
    return CTimeVal(timeval{std::mktime(&fields), 0});
}

// How often, and how badly, something happens over the day's intervals.
struct CTally {
    std::size_t m_Count = 0;
    float m_Worst = 0;
    CTimeVal m_Example{timeval{0, 0}}; // start of the first interval where it happens

    void Add(float a_Value, const CTimeVal& a_IntervalStart) {
        if (m_Count++ == 0 || a_Value > m_Worst)
            m_Worst = a_Value;
        if (m_Count == 1)
            m_Example = a_IntervalStart;
    }
    std::string Where(std::size_t a_Total) const {
        return "in " + std::to_string(m_Count) + " of the day's " + std::to_string(a_Total) +
               " intervals, e.g. the one starting " + ClockText(m_Example);
    }
};

// A chain finishing at its key may be keyed at the very end of the interval: it then ends as
// the next interval begins, the moment its spoken time names.
bool InInterval(float a_Key, const CChain& a_Chain, int a_FrequencySecs) {
    float end = float(a_FrequencySecs);
    return a_Key >= 0 && (a_Key < end || (a_Key == end && !a_Chain.AnchoredStart()));
}

CTimeVal IntervalStart(CTimeVal a_AnnounceTime, int a_FrequencySecs) {
    a_AnnounceTime.AddSecs(-a_FrequencySecs);
    return a_AnnounceTime;
}
} // namespace

CChainTiming::CChainTiming(const CSchedule& a_Schedule, const CTimeVal& a_Day)
    : m_Schedule(a_Schedule), m_AnnounceTimes(DayAnnounceTimes(a_Schedule.FrequencySecs(), a_Day)) {
    for (const auto& entry : a_Schedule.Program())
        if (InInterval(entry.first, *entry.second, a_Schedule.FrequencySecs()))
            m_InInterval.push_back(Placed{entry.first, entry.second.get()});
}

std::vector<CTimeVal> CChainTiming::DayAnnounceTimes(int a_FrequencySecs, const CTimeVal& a_Day) {
    std::vector<CTimeVal> times;
    for (int hour = 0; a_FrequencySecs > 0 && hour < 24; ++hour)
        for (int start = 0; start < c_SecsPerHour; start += a_FrequencySecs) {
            CTimeVal announce = LocalHourStart(a_Day, hour);
            announce.AddSecs(start + a_FrequencySecs);
            times.push_back(announce);
        }
    return times;
}

CTimeVal CChainTiming::AnnounceTimeFor(int a_FrequencySecs, const CTimeVal& a_Now) {
    int offset = a_FrequencySecs > 0 ? (a_Now.Min() * 60 + a_Now.Sec()) % a_FrequencySecs : 0;
    CTimeVal announce(timeval{time_t(a_Now.Seconds() - offset), 0});
    announce.AddSecs(a_FrequencySecs);
    return announce;
}

std::set<std::string> CChainTiming::NeededTimeSounds() const {
    std::set<std::string> needed;
    for (const auto& entry : m_Schedule.Program())
        for (const auto& record : entry.second->Records())
            if (auto* timeRecord = dynamic_cast<const CTimeRecord*>(record.get()))
                for (const CTimeVal& announce : m_AnnounceTimes)
                    for (std::string& title : timeRecord->TitlesForTime(announce))
                        needed.insert(std::move(title));
    return needed;
}

void CChainTiming::AddFindings(std::vector<CCheckFinding>& a_Findings) const {
    AddBeyondInterval(a_Findings);
    for (std::size_t i = 0; i < m_InInterval.size(); ++i) {
        AddLongerThanKey(m_InInterval[i], a_Findings);
        AddOverrun(i, a_Findings);
    }
}

float CChainTiming::StartFor(const Placed& a_Placed, const CTimeVal& a_AnnounceTime) {
    if (a_Placed.m_Chain->AnchoredStart())
        return a_Placed.m_Key;
    return a_Placed.m_Key - a_Placed.m_Chain->DurationForTime(a_AnnounceTime);
}

void CChainTiming::AddBeyondInterval(std::vector<CCheckFinding>& a_Findings) const {
    int frequency = m_Schedule.FrequencySecs();
    for (const auto& entry : m_Schedule.Program()) {
        if (InInterval(entry.first, *entry.second, frequency))
            continue;
        CCheckFinding finding;
        finding.m_Kind = "key-beyond-interval";
        finding.m_Keys = {entry.first};
        finding.m_Text = "Chain " + FloatText(entry.first) + ": its key is not within the " +
                         std::to_string(frequency) + " s interval, so it plays in another interval";
        a_Findings.push_back(finding);
    }
}

void CChainTiming::AddLongerThanKey(const Placed& a_Placed,
                                    std::vector<CCheckFinding>& a_Findings) const {
    CTally tally;
    for (const CTimeVal& announce : m_AnnounceTimes)
        if (StartFor(a_Placed, announce) < 0)
            tally.Add(a_Placed.m_Chain->DurationForTime(announce),
                      IntervalStart(announce, m_Schedule.FrequencySecs()));
    if (tally.m_Count == 0)
        return;
    CCheckFinding finding;
    finding.m_Kind = "longer-than-key";
    finding.m_Keys = {a_Placed.m_Key};
    finding.m_Text = "Chain " + FloatText(a_Placed.m_Key) +
                     " finishes at its key but lasts up to " + FloatText(tally.m_Worst) +
                     " s, longer than its key: it is skipped " +
                     tally.Where(m_AnnounceTimes.size());
    a_Findings.push_back(finding);
}

void CChainTiming::AddOverrun(std::size_t a_Index, std::vector<CCheckFinding>& a_Findings) const {
    bool wraps = a_Index + 1 == m_InInterval.size();
    const Placed& chain = m_InInterval[a_Index];
    const Placed& next = m_InInterval[wraps ? 0 : a_Index + 1];
    CTally tally;
    float end = 0;
    for (const CTimeVal& announce : m_AnnounceTimes)
        if (Overruns(chain, next, wraps, announce, end))
            tally.Add(end, IntervalStart(announce, m_Schedule.FrequencySecs()));
    if (tally.m_Count == 0)
        return;
    CCheckFinding finding;
    finding.m_Kind = "runs-past-next";
    finding.m_Keys = {chain.m_Key, next.m_Key};
    finding.m_Text = "Chain " + FloatText(chain.m_Key) + " plays until up to " +
                     FloatText(tally.m_Worst) + " s into its interval, past the start of chain " +
                     FloatText(next.m_Key) + (wraps ? " in the next interval" : "") +
                     ": that chain is then skipped or starts late, " +
                     tally.Where(m_AnnounceTimes.size());
    a_Findings.push_back(finding);
}

bool CChainTiming::Overruns(const Placed& a_Chain, const Placed& a_Next, bool a_Wraps,
                            const CTimeVal& a_AnnounceTime, float& a_End) const {
    int shift = a_Wraps ? m_Schedule.FrequencySecs() : 0;
    CTimeVal nextAnnounce = a_AnnounceTime;
    nextAnnounce.AddSecs(shift);
    float nextStart = StartFor(a_Next, nextAnnounce);
    a_End = StartFor(a_Chain, a_AnnounceTime) + a_Chain.m_Chain->DurationForTime(a_AnnounceTime);
    // A next chain that starts before its interval is reported as longer than its key.
    return nextStart >= 0 && a_End > nextStart + float(shift);
}
