#ifndef QUILLANE_INTERVAL_H
#define QUILLANE_INTERVAL_H

#include "TimeVal.h"

#include <string>

// One interval of the timetable. Intervals of the schedule's length follow each other from every
// full hour of the local clock; the last one of an hour ends at the full hour, so that no
// interval, and no time spoken in it, runs past the hour (with 45:00: 14:00-14:45, then
// 14:45-15:00). Computed from a moment and the length alone: no clock, no output.
class CInterval {
public:
    // The interval a_Moment falls in, for intervals of a_FrequencySecs (above zero).
    CInterval(const CTimeVal& a_Moment, int a_FrequencySecs);

    // Whole seconds from the interval's start to the moment it was found for (0 for Next()).
    int Offset() const { return m_Offset; }
    // Its start, in whole seconds.
    const CTimeVal& Start() const { return m_Start; }
    // Its end, the start of the next one, and the time spoken in it (before any minute offset).
    const CTimeVal& End() const { return m_End; }
    CTimeVal AnnounceTime() const { return m_End; }
    // The schedule's length, or less for the last interval of an hour.
    int LengthSecs() const;
    CInterval Next() const { return CInterval(m_End, m_FrequencySecs); }
    // The interval that ends where this one starts.
    CInterval Previous() const;

    // A chain keyed at a_Key plays in this interval: the key lies from its start to its end.
    bool Holds(float a_Key) const { return a_Key >= 0 && a_Key <= float(LengthSecs()); }
    // The moment a_Key seconds after the start.
    CTimeVal KeyTime(float a_Key) const;
    // When a chain keyed at a_Key starts: at its key, or a_Duration earlier when it finishes there.
    CTimeVal StartOf(float a_Key, bool a_AnchoredStart, float a_Duration) const;
    // When it ends: a_Duration after its start.
    CTimeVal EndOf(float a_Key, bool a_AnchoredStart, float a_Duration) const;

    // The longest interval of a schedule of a_FrequencySecs: an hour at the most.
    static int LongestSecs(int a_FrequencySecs);
    // The full hour of the local clock that a_Moment falls in.
    static CTimeVal HourStart(const CTimeVal& a_Moment);
    // Seconds as every message writes them: the stream's default form, 90 or 12.5.
    static std::string SecondsText(float a_Secs);
    // A key as the schedule file writes it, M:SS.T (to the nearest tenth): 120.5 is 2:00.5.
    static std::string KeyText(float a_Secs);

private:
    int m_FrequencySecs;
    int m_Offset;
    CTimeVal m_Start;
    CTimeVal m_End;
};

#endif
