#ifndef QUILLANE_PLANBARS_H
#define QUILLANE_PLANBARS_H

#include "Interval.h"
#include "PlanChart.h"

#include <vector>

class CChain;
class CSchedule;

// Where a schedule's chains fall in one interval, by the rules the scheduler plays them by:
// durations and spoken times for that interval's announce time.
class CPlanBars {
public:
    // The chains of the interval a_Moment falls in; no announcement lines.
    static CPlanChart Measure(const CSchedule& a_Schedule, const CTimeVal& a_Moment);

private:
    static std::vector<CPlanBar> In(const CSchedule& a_Schedule, const CInterval& a_Interval,
                                    const CTimeVal& a_Origin);
    static CPlanBar Bar(float a_Key, CChain& a_Chain, const CInterval& a_Interval,
                        const CTimeVal& a_Origin);
    static void MarkClashes(std::vector<CPlanBar>& a_Bars, std::vector<CPlanBar> a_Before,
                            std::vector<CPlanBar> a_After);
};

#endif
