#ifndef QUILLANE_PLANBARS_H
#define QUILLANE_PLANBARS_H

#include "plan/PlanChart.h"
#include "shared/ChainPlacement.h"

#include <vector>

class CSchedule;

// One interval's chains as bars, placed and judged by CChainPlacement, as check judges them.
class CPlanBars {
public:
    // The chains of the interval a_Moment falls in; no announcement lines.
    static CPlanChart Measure(const CSchedule& a_Schedule, const CTimeVal& a_Moment);

    // Seven days from a_Moment's: their quiet stretches and when each chain starts (the first
    // c_WeekChains chains), by the scheduler's rules.
    static void MeasureWeek(const CSchedule& a_Schedule, const CTimeVal& a_Moment,
                            CPlanChart& a_Chart);
    static constexpr std::size_t c_WeekChains = 12;
    // Intervals closer than this are looked at once in the week: a pixel of the picture is wider.
    static constexpr int c_WeekStepSecs = 120;

private:
    static CPlanDay Day(const CSchedule& a_Schedule, const CTimeVal& a_Midnight,
                        const CTimeVal& a_Next, std::size_t a_Chains);
    static CPlanBar Bar(const CPlacedChain& a_Chain, const CInterval& a_Interval);
    static void MarkClashes(std::vector<CPlanBar>& a_Bars,
                            const std::vector<CPlacedChain>& a_Placed,
                            const std::vector<CPlacedChain>& a_Before,
                            const std::vector<CPlacedChain>& a_After);
};

#endif
