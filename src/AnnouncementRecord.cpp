#include "AnnouncementRecord.h"

#include "SoundLibrary.h"

CAnnouncementRecord::CAnnouncementRecord(std::string a_Name) : CRecord(std::move(a_Name)) {}

float CAnnouncementRecord::DurationForTime(CTimeVal) {
    return gSoundLibrary ? gSoundLibrary->GetAnnouncementDuration(Name()) : 0.0f;
}

std::list<CSlot> CAnnouncementRecord::RecordsForTime(CTimeVal a_Time) {
    CSlot slot{a_Time, gSoundLibrary ? gSoundLibrary->GetAnnouncementFile(Name()) : "", Name()};
    return {slot};
}
