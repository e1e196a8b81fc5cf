#include "TimeRecord.h"

#include "SoundLibrary.h"

#include <cstdio>

namespace {
constexpr int c_MinutesPerDay = 1440;

std::string Format(const char* a_Pattern, int a_Value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, a_Pattern, a_Value);
    return buf;
}
} // namespace

CTimeRecord::CTimeRecord(std::string a_Name, int a_MinOffset)
    : CRecord(std::move(a_Name)), m_MinOffset(a_MinOffset) {}

std::vector<std::string> CTimeRecord::TitlesForTime(CTimeVal a_Time) const {
    // Any offset, however large, wraps onto the 24-hour clock.
    long total =
        (long(a_Time.Hour()) * 60 + a_Time.Min() + m_MinOffset % c_MinutesPerDay) % c_MinutesPerDay;
    if (total < 0)
        total += c_MinutesPerDay;
    int hours = int(total / 60);
    int minutes = int(total % 60);
    if (minutes == 0)
        return {Format("cdhour%02d", hours)};
    const char* hourPattern = (hours >= 1 && hours <= 9) ? "cdnum%01d" : "cdnum%02d";
    return {Format(hourPattern, hours), Format("cdnum%02d", minutes)};
}

std::vector<std::string> CTimeRecord::AllTitles() {
    std::vector<std::string> titles;
    for (int hour = 0; hour < 24; ++hour)
        titles.push_back(Format("cdhour%02d", hour));
    for (int number = 1; number < 10; ++number)
        titles.push_back(Format("cdnum%01d", number));
    for (int number = 0; number < 60; ++number)
        titles.push_back(Format("cdnum%02d", number));
    return titles;
}

float CTimeRecord::DurationForTime(CTimeVal a_Time) {
    float duration = 0;
    for (const std::string& title : TitlesForTime(a_Time))
        duration += gSoundLibrary ? gSoundLibrary->GetTimeSndDuration(title) : 0.0f;
    return duration;
}

std::list<CSlot> CTimeRecord::RecordsForTime(CTimeVal a_Time) {
    std::list<CSlot> slots;
    float duration = 0;
    for (const std::string& title : TitlesForTime(a_Time)) {
        CTimeVal at = a_Time;
        at.AddSecs(duration);
        std::string file = gSoundLibrary ? gSoundLibrary->GetTimeSndFile(title) : "";
        slots.push_back(CSlot{at, file, title});
        duration += gSoundLibrary ? gSoundLibrary->GetTimeSndDuration(title) : 0.0f;
    }
    return slots;
}
