#ifndef QUILLANE_TIMERECORD_H
#define QUILLANE_TIMERECORD_H

#include "Record.h"

#include <vector>

// Speaks the clock time a_Time + m_MinOffset minutes from number recordings.
class CTimeRecord : public CRecord {
public:
    CTimeRecord(std::string a_Name, int a_MinOffset);

    float DurationForTime(CTimeVal a_Time) override;
    std::list<CSlot> RecordsForTime(CTimeVal a_Time) override;

    // The time-sound names that speak the time, e.g. cdnum14 cdnum35, or cdhour14.
    std::vector<std::string> TitlesForTime(CTimeVal a_Time) const;
    // Every name a spoken time can ask for: cdhour00-23, cdnum1-9, cdnum00-59 (93 names).
    static std::vector<std::string> AllTitles();
    int MinOffset() const { return m_MinOffset; }

private:
    int m_MinOffset;
};

#endif
