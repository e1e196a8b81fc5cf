#ifndef QUILLANE_CHAIN_H
#define QUILLANE_CHAIN_H

#include "Calendar.h"
#include "Record.h"

#include <list>
#include <memory>
#include <optional>
#include <string>

// Records played back to back in one run of the player.
class CChain {
public:
    explicit CChain(bool a_AnchoredStart);

    void AddRecord(std::unique_ptr<CRecord> a_Rec);
    // True: the chain starts at its key; false: it finishes at its key.
    bool AnchoredStart() const { return m_AnchoredStart; }
    // When the chain plays (its m_When): only when its start falls inside. Null: whenever its
    // key comes.
    const CCalendar* When() const { return m_When ? &*m_When : nullptr; }
    void SetWhen(CCalendar a_When) { m_When = std::move(a_When); }

    float DurationForTime(CTimeVal a_TimeVal);
    std::list<CSlot> RecordsForTime(CTimeVal a_TimeVal);
    // Each slot's file name followed by one space.
    std::string RecordsForTimeAsString(CTimeVal a_TimeVal);

    const std::list<std::unique_ptr<CRecord>>& Records() const { return m_Records; }

private:
    std::list<std::unique_ptr<CRecord>> m_Records;
    bool m_AnchoredStart;
    std::optional<CCalendar> m_When;
};

#endif
