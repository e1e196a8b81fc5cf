#ifndef QUILLANE_RECORD_H
#define QUILLANE_RECORD_H

#include "Slot.h"
#include "TimeVal.h"

#include <list>
#include <string>

// One element of an announcement: a recorded message or a spoken clock time.
class CRecord {
public:
    explicit CRecord(std::string a_Name) : m_Name(std::move(a_Name)) {}
    virtual ~CRecord() = default;

    virtual float DurationForTime(CTimeVal a_Time) = 0;
    virtual std::list<CSlot> RecordsForTime(CTimeVal a_Time) = 0;

    std::string Name() const { return m_Name; }

protected:
    std::string m_Name;
};

#endif
