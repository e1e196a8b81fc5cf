#include "PlanBars.h"

#include "Schedule.h"

CPlanChart CPlanBars::Measure(const CSchedule& a_Schedule, const CTimeVal& a_Moment) {
    CInterval interval(a_Moment, a_Schedule.FrequencySecs());
    CPlanChart chart;
    chart.m_Start = interval.Start();
    chart.m_End = interval.End();
    chart.m_LengthSecs = interval.LengthSecs();
    chart.m_Bars = In(a_Schedule, interval, interval.Start());
    MarkClashes(chart.m_Bars, In(a_Schedule, interval.Previous(), interval.Start()),
                In(a_Schedule, interval.Next(), interval.Start()));
    return chart;
}

std::vector<CPlanBar> CPlanBars::In(const CSchedule& a_Schedule, const CInterval& a_Interval,
                                    const CTimeVal& a_Origin) {
    std::vector<CPlanBar> bars;
    for (const auto& entry : a_Schedule.Program())
        if (a_Interval.Holds(entry.first))
            bars.push_back(Bar(entry.first, *entry.second, a_Interval, a_Origin));
    return bars;
}

CPlanBar CPlanBars::Bar(float a_Key, CChain& a_Chain, const CInterval& a_Interval,
                        const CTimeVal& a_Origin) {
    CPlanBar bar;
    bar.m_Key = a_Key;
    bar.m_AnchoredStart = a_Chain.AnchoredStart();
    float duration = a_Chain.DurationForTime(a_Interval.AnnounceTime());
    CTimeVal start = a_Interval.StartOf(a_Key, bar.m_AnchoredStart, duration);
    bar.m_Start = start - a_Origin;
    bar.m_End = a_Interval.EndOf(a_Key, bar.m_AnchoredStart, duration) - a_Origin;
    bar.m_BeforeStart = start < a_Interval.Start();
    for (const CSlot& slot : a_Chain.RecordsForTime(a_Interval.AnnounceTime()))
        bar.m_Names.push_back((slot.m_FileName.empty() ? "!" : "") + slot.m_SoundName);
    return bar;
}

// As check judges them: a chain that ends after the next one starts makes that one skipped or
// late, unless the next one is skipped anyway for starting before its interval. The last chain
// of the interval before and the first of the one after are neighbours too.
void CPlanBars::MarkClashes(std::vector<CPlanBar>& a_Bars, std::vector<CPlanBar> a_Before,
                            std::vector<CPlanBar> a_After) {
    std::vector<CPlanBar*> order;
    if (!a_Before.empty())
        order.push_back(&a_Before.back());
    for (CPlanBar& bar : a_Bars)
        order.push_back(&bar);
    if (!a_After.empty())
        order.push_back(&a_After.front());
    for (std::size_t i = 1; i < order.size(); ++i)
        if (!order[i]->m_BeforeStart && order[i]->m_Start < order[i - 1]->m_End)
            order[i - 1]->m_Clash = order[i]->m_Clash = true;
    for (CPlanBar& bar : a_Bars)
        bar.m_Clash = bar.m_Clash || bar.m_BeforeStart;
}
