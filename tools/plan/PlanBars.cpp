#include "plan/PlanBars.h"

#include "Schedule.h"
#include "shared/ToolText.h"

#include <algorithm>

CPlanChart CPlanBars::Measure(const CSchedule& a_Schedule, const CTimeVal& a_Moment) {
    CInterval interval(a_Moment, a_Schedule.FrequencySecs());
    CPlanChart chart;
    chart.m_Start = interval.Start();
    chart.m_End = interval.End();
    chart.m_LengthSecs = interval.LengthSecs();
    std::vector<CPlacedChain> placed = CChainPlacement::In(a_Schedule, interval);
    for (const CPlacedChain& chain : placed)
        chart.m_Bars.push_back(Bar(chain, interval));
    MarkClashes(chart.m_Bars, placed, CChainPlacement::In(a_Schedule, interval.Previous()),
                CChainPlacement::In(a_Schedule, interval.Next()));
    return chart;
}

void CPlanBars::MeasureWeek(const CSchedule& a_Schedule, const CTimeVal& a_Moment,
                            CPlanChart& a_Chart) {
    std::size_t chains = std::min(a_Schedule.Program().size(), c_WeekChains);
    for (const auto& entry : a_Schedule.Program())
        if (a_Chart.m_WeekKeys.size() < chains)
            a_Chart.m_WeekKeys.push_back(entry.first);
    a_Chart.m_ChainsLeftOut = a_Schedule.Program().size() - chains;
    CTimeVal midnight = TodayAt(a_Moment, 0, 0, 0);
    for (int day = 0; day < 7; ++day) {
        CTimeVal next = midnight;
        next.AddSecs(36 * 3600); // into the next day, whatever summer time does
        next = TodayAt(next, 0, 0, 0);
        a_Chart.m_Week.push_back(Day(a_Schedule, midnight, next, chains));
        midnight = next;
    }
}

CPlanDay CPlanBars::Day(const CSchedule& a_Schedule, const CTimeVal& a_Midnight,
                        const CTimeVal& a_Next, std::size_t a_Chains) {
    CPlanDay day;
    day.m_Midnight = a_Midnight;
    day.m_Plays.resize(a_Chains);
    const CCalendar& quiet = a_Schedule.Quiet();
    for (CTimeVal from = a_Midnight; from < a_Next;) {
        CTimeVal to = quiet.NextChange(from, a_Next).value_or(a_Next);
        if (quiet.Covers(from))
            day.m_Quiet.emplace_back(from - a_Midnight, to - a_Midnight);
        from = to;
    }
    for (CInterval interval(a_Midnight, a_Schedule.FrequencySecs()); interval.Start() < a_Next;) {
        std::size_t chain = 0;
        for (auto it = a_Schedule.Program().begin(); chain < a_Chains; ++it, ++chain) {
            if (!interval.Holds(it->first))
                continue;
            CPlacedChain placed = CChainPlacement::Of(it->first, *it->second, interval);
            if (!placed.m_BeforeStart && a_Schedule.CalendarAllows(*it->second, placed.m_Start))
                day.m_Plays[chain].push_back(placed.m_Start - a_Midnight);
        }
        CTimeVal skip = interval.Start();
        skip.AddSecs(c_WeekStepSecs);
        interval =
            CInterval(interval.End() < skip ? skip : interval.End(), a_Schedule.FrequencySecs());
    }
    return day;
}

CPlanBar CPlanBars::Bar(const CPlacedChain& a_Chain, const CInterval& a_Interval) {
    CPlanBar bar;
    bar.m_Key = a_Chain.m_Key;
    bar.m_AnchoredStart = a_Chain.m_Chain->AnchoredStart();
    bar.m_Start = a_Chain.m_Start - a_Interval.Start();
    bar.m_End = a_Chain.m_End - a_Interval.Start();
    bar.m_BeforeStart = a_Chain.m_BeforeStart;
    for (const CHeard& part : Heard(a_Chain.m_Chain->RecordsForTime(a_Interval.AnnounceTime())))
        bar.m_Names.push_back(part.Text());
    return bar;
}

// Each chain against the one after it, the last chain of the interval before and the first of
// the one after being neighbours too; a chain skipped for starting before its interval is
// marked as well.
void CPlanBars::MarkClashes(std::vector<CPlanBar>& a_Bars,
                            const std::vector<CPlacedChain>& a_Placed,
                            const std::vector<CPlacedChain>& a_Before,
                            const std::vector<CPlacedChain>& a_After) {
    std::vector<const CPlacedChain*> order;
    std::vector<CPlanBar*> bars; // none for the neighbours' chains
    if (!a_Before.empty()) {
        order.push_back(&a_Before.back());
        bars.push_back(nullptr);
    }
    for (std::size_t i = 0; i < a_Placed.size(); ++i) {
        order.push_back(&a_Placed[i]);
        bars.push_back(&a_Bars[i]);
    }
    if (!a_After.empty()) {
        order.push_back(&a_After.front());
        bars.push_back(nullptr);
    }
    for (std::size_t i = 1; i < order.size(); ++i)
        if (CChainPlacement::Clashes(*order[i - 1], *order[i]))
            for (CPlanBar* bar : {bars[i - 1], bars[i]})
                if (bar)
                    bar->m_Clash = true;
    for (CPlanBar& bar : a_Bars)
        bar.m_Clash = bar.m_Clash || bar.m_BeforeStart;
}
