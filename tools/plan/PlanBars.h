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

private:
    static CPlanBar Bar(const CPlacedChain& a_Chain, const CInterval& a_Interval);
    static void MarkClashes(std::vector<CPlanBar>& a_Bars,
                            const std::vector<CPlacedChain>& a_Placed,
                            const std::vector<CPlacedChain>& a_Before,
                            const std::vector<CPlacedChain>& a_After);
};

#endif
