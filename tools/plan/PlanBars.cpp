#include "plan/PlanBars.h"

#include "Schedule.h"
#include "shared/ToolText.h"

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
