#include "Chain.h"

CChain::CChain(bool a_AnchoredStart) : m_AnchoredStart(a_AnchoredStart) {}

void CChain::AddRecord(std::unique_ptr<CRecord> a_Rec) {
    if (a_Rec)
        m_Records.push_back(std::move(a_Rec));
}

float CChain::DurationForTime(CTimeVal a_TimeVal) {
    float duration = 0;
    for (auto& record : m_Records)
        duration += record->DurationForTime(a_TimeVal);
    return duration;
}

std::list<CSlot> CChain::RecordsForTime(CTimeVal a_TimeVal) {
    std::list<CSlot> slots;
    for (auto& record : m_Records)
        slots.splice(slots.end(), record->RecordsForTime(a_TimeVal));
    return slots;
}

std::string CChain::RecordsForTimeAsString(CTimeVal a_TimeVal) {
    std::string files;
    for (const CSlot& slot : RecordsForTime(a_TimeVal))
        files += slot.m_FileName + " ";
    return files;
}
