#ifndef QUILLANE_TIMEVAL_H
#define QUILLANE_TIMEVAL_H

#include <cstdint>
#include <string>
#include <sys/time.h>

// A wall-clock instant with microsecond resolution. A plain value.
class CTimeVal {
public:
    static constexpr std::int64_t c_MicrosPerSec = 1000000;

    CTimeVal(); // the current wall-clock time
    CTimeVal(timeval a_Time);

    bool operator<(const CTimeVal& a_Rhs) const;
    bool operator==(const CTimeVal& a_Rhs) const;
    bool operator!=(const CTimeVal& a_Rhs) const { return !(*this == a_Rhs); }
    // Difference in seconds.
    float operator-(const CTimeVal& a_Rhs) const;

    // Local-time fields in the machine's time zone.
    int Hour() const;
    int Min() const;
    int Sec() const;
    int MilliSec() const;
    // "H:MM:SS.m" with the milliseconds unpadded, as in every diagnostic line.
    std::string TimeString() const;
    // Local time for a person: "09:05:07", and with the date, "2024-03-14 09:05:07".
    std::string ClockText() const;
    std::string DateTimeText() const;

    void AddSecs(int a_Secs);
    void AddSecs(float a_Secs);
    void AddMicroSecs(std::int64_t a_MicroSecs);

    std::int64_t Seconds() const { return m_Time.tv_sec; }
    std::int64_t MicroSecs() const { return m_Time.tv_usec; }
    // Microseconds from this time to a_Later, in 64 bits (negative when a_Later is earlier).
    std::int64_t MicroSecsTo(const CTimeVal& a_Later) const;

private:
    std::string LocalText(const char* a_Format) const;

    timeval m_Time;
};

#endif
