#ifndef QUILLANE_ANNOUNCEMENTRECORD_H
#define QUILLANE_ANNOUNCEMENTRECORD_H

#include "Record.h"

// Plays the announcement sound named m_Name.
class CAnnouncementRecord : public CRecord {
public:
    explicit CAnnouncementRecord(std::string a_Name);

    float DurationForTime(CTimeVal a_Time) override;
    std::list<CSlot> RecordsForTime(CTimeVal a_Time) override;
};

#endif
