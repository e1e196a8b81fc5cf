#include "Interval.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {
constexpr int c_SecsPerHour = 3600;

CTimeVal WholeSeconds(std::int64_t a_Secs) {
    timeval time{};
    time.tv_sec = static_cast<decltype(time.tv_sec)>(a_Secs);
    return CTimeVal(time);
}

int SecsIntoHour(const CTimeVal& a_Moment) {
    return a_Moment.Min() * 60 + a_Moment.Sec();
}
} // namespace

CInterval::CInterval(const CTimeVal& a_Moment, int a_FrequencySecs)
    : m_FrequencySecs(std::max(a_FrequencySecs, 1)),
      m_Offset(SecsIntoHour(a_Moment) % m_FrequencySecs),
      m_Start(WholeSeconds(a_Moment.Seconds() - m_Offset)), m_End(m_Start) {
    m_End.AddSecs(m_FrequencySecs);
    CTimeVal hourEnd = HourStart(m_Start);
    hourEnd.AddSecs(c_SecsPerHour);
    if (hourEnd < m_End)
        m_End = hourEnd;
}

int CInterval::LengthSecs() const {
    return int(m_End.Seconds() - m_Start.Seconds());
}

CInterval CInterval::Previous() const {
    CTimeVal before = m_Start;
    before.AddSecs(-1);
    return CInterval(before, m_FrequencySecs);
}

CTimeVal CInterval::KeyTime(float a_Key) const {
    CTimeVal time = m_Start;
    time.AddSecs(a_Key);
    return time;
}

CTimeVal CInterval::StartOf(float a_Key, bool a_AnchoredStart, float a_Duration) const {
    CTimeVal start = KeyTime(a_Key);
    if (!a_AnchoredStart)
        start.AddSecs(-a_Duration);
    return start;
}

CTimeVal CInterval::EndOf(float a_Key, bool a_AnchoredStart, float a_Duration) const {
    CTimeVal end = StartOf(a_Key, a_AnchoredStart, a_Duration);
    end.AddSecs(a_Duration);
    return end;
}

int CInterval::LongestSecs(int a_FrequencySecs) {
    return std::min(a_FrequencySecs, c_SecsPerHour);
}

CTimeVal CInterval::HourStart(const CTimeVal& a_Moment) {
    return WholeSeconds(a_Moment.Seconds() - SecsIntoHour(a_Moment));
}

std::string CInterval::SecondsText(float a_Secs) {
    std::ostringstream text;
    text << a_Secs;
    return text.str();
}

std::string CInterval::KeyText(float a_Secs) {
    long long tenths = std::llround(double(a_Secs) * 10.0);
    long long size = tenths < 0 ? -tenths : tenths;
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld:%02lld.%lld", tenths < 0 ? "-" : "", size / 600,
                  size / 10 % 60, size % 10);
    return text;
}
