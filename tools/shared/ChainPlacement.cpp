#include "shared/ChainPlacement.h"

#include "Schedule.h"

std::vector<CPlacedChain> CChainPlacement::In(const CSchedule& a_Schedule,
                                              const CInterval& a_Interval) {
    std::vector<CPlacedChain> placed;
    for (const auto& [key, chain] : a_Schedule.Program())
        if (a_Interval.Holds(key))
            placed.push_back(Of(key, *chain, a_Interval));
    return placed;
}

CPlacedChain CChainPlacement::Of(float a_Key, CChain& a_Chain, const CInterval& a_Interval) {
    CPlacedChain placed;
    placed.m_Key = a_Key;
    placed.m_Chain = &a_Chain;
    placed.m_Duration = a_Chain.DurationForTime(a_Interval.AnnounceTime());
    placed.m_Start = a_Interval.StartOf(a_Key, a_Chain.AnchoredStart(), placed.m_Duration);
    placed.m_End = a_Interval.EndOf(a_Key, a_Chain.AnchoredStart(), placed.m_Duration);
    placed.m_BeforeStart = placed.m_Start < a_Interval.Start();
    return placed;
}

bool CChainPlacement::Clashes(const CPlacedChain& a_Chain, const CPlacedChain& a_Next) {
    return !a_Next.m_BeforeStart && a_Next.m_Start < a_Chain.m_End;
}
