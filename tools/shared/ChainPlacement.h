#ifndef QUILLANE_CHAINPLACEMENT_H
#define QUILLANE_CHAINPLACEMENT_H

#include "Interval.h"

#include <vector>

class CChain;
class CSchedule;

// One chain where it falls in an interval: from when it starts to when it ends, its duration
// that of the interval's announce time.
struct CPlacedChain {
    float m_Key = 0;
    CChain* m_Chain = nullptr;
    float m_Duration = 0;
    CTimeVal m_Start{timeval{0, 0}};
    CTimeVal m_End{timeval{0, 0}};
    // It finishes at a key shorter than itself, so it would start before its interval: the
    // scheduler skips it there.
    bool m_BeforeStart = false;
};

// Where a schedule's chains fall in an interval, and which of them clash, by the rules the
// scheduler plays them by. check judges every interval of a day with it, plan draws one.
class CChainPlacement {
public:
    // The chains that play in a_Interval (their keys lie in it), in key order.
    static std::vector<CPlacedChain> In(const CSchedule& a_Schedule, const CInterval& a_Interval);
    // The chain keyed at a_Key in a_Interval, which holds that key.
    static CPlacedChain Of(float a_Key, CChain& a_Chain, const CInterval& a_Interval);
    // a_Chain ends after a_Next starts (a_Next: the chain after it in its interval, or the first
    // of the next interval), so that a_Next is skipped or starts late; unless a_Next is skipped
    // anyway, for starting before its interval.
    static bool Clashes(const CPlacedChain& a_Chain, const CPlacedChain& a_Next);
};

#endif
