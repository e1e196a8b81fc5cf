#include "TimeVal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace {
std::tm LocalTime(const timeval& a_Time) {
    std::time_t secs = a_Time.tv_sec;
    std::tm fields{};
    localtime_r(&secs, &fields);
    return fields;
}
} // namespace

CTimeVal::CTimeVal() {
    gettimeofday(&m_Time, nullptr);
}

CTimeVal::CTimeVal(timeval a_Time) : m_Time(a_Time) {}

bool CTimeVal::operator<(const CTimeVal& a_Rhs) const {
    if (m_Time.tv_sec != a_Rhs.m_Time.tv_sec)
        return m_Time.tv_sec < a_Rhs.m_Time.tv_sec;
    return m_Time.tv_usec < a_Rhs.m_Time.tv_usec;
}

bool CTimeVal::operator==(const CTimeVal& a_Rhs) const {
    return m_Time.tv_sec == a_Rhs.m_Time.tv_sec && m_Time.tv_usec == a_Rhs.m_Time.tv_usec;
}

float CTimeVal::operator-(const CTimeVal& a_Rhs) const {
    // Subtract in 64-bit integers first so that large epoch values lose no precision.
    std::int64_t secs = std::int64_t(m_Time.tv_sec) - std::int64_t(a_Rhs.m_Time.tv_sec);
    std::int64_t micros = std::int64_t(m_Time.tv_usec) - std::int64_t(a_Rhs.m_Time.tv_usec);
    return float(secs) + float(micros) / float(c_MicrosPerSec);
}

int CTimeVal::Hour() const {
    return LocalTime(m_Time).tm_hour;
}

int CTimeVal::Min() const {
    return LocalTime(m_Time).tm_min;
}

int CTimeVal::Sec() const {
    return LocalTime(m_Time).tm_sec;
}

int CTimeVal::MilliSec() const {
    return int(m_Time.tv_usec / 1000);
}

std::string CTimeVal::TimeString() const {
    std::tm fields = LocalTime(m_Time);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d:%.02d:%.02d.%d", fields.tm_hour, fields.tm_min,
                  fields.tm_sec, MilliSec());
    return buf;
}

std::string CTimeVal::ClockText() const {
    return LocalText("%H:%M:%S");
}

std::string CTimeVal::DateTimeText() const {
    return LocalText("%Y-%m-%d %H:%M:%S");
}

std::string CTimeVal::LocalText(const char* a_Format) const {
    std::tm fields = LocalTime(m_Time);
    char text[64] = "";
    std::strftime(text, sizeof text, a_Format, &fields);
    return text;
}

std::int64_t CTimeVal::MicroSecsTo(const CTimeVal& a_Later) const {
    return (a_Later.Seconds() - Seconds()) * c_MicrosPerSec + (a_Later.MicroSecs() - MicroSecs());
}

void CTimeVal::AddSecs(int a_Secs) {
    m_Time.tv_sec += a_Secs;
}

void CTimeVal::AddSecs(float a_Secs) {
    // A 64-bit count: a key of 45 minutes moves the time by 45 minutes. Values no schedule can
    // mean (beyond 30000 years, or not a number) are bounded so the count stays within 64 bits.
    constexpr double c_Limit = 1.0e12;
    double secs = std::isnan(a_Secs) ? 0.0 : std::clamp(double(a_Secs), -c_Limit, c_Limit);
    AddMicroSecs(static_cast<std::int64_t>(secs * double(c_MicrosPerSec)));
}

void CTimeVal::AddMicroSecs(std::int64_t a_MicroSecs) {
    // Whole seconds are split off first, so even the largest count cannot overflow the sum.
    std::int64_t carry = a_MicroSecs / c_MicrosPerSec + m_Time.tv_usec / c_MicrosPerSec;
    std::int64_t micros = a_MicroSecs % c_MicrosPerSec + m_Time.tv_usec % c_MicrosPerSec;
    carry += micros / c_MicrosPerSec;
    micros %= c_MicrosPerSec;
    if (micros < 0) {
        micros += c_MicrosPerSec;
        --carry;
    }
    m_Time.tv_sec += carry;
    m_Time.tv_usec = static_cast<decltype(m_Time.tv_usec)>(micros);
}
