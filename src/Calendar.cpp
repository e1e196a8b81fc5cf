#include "Calendar.h"
#include "ElementScanner.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>

namespace {
constexpr int c_MinutesPerDay = 24 * 60;
constexpr std::int64_t c_SecsPerDay = c_MinutesPerDay * 60;
constexpr unsigned c_EveryDay = 0x7f;
const char* const c_DayNames[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

struct Date {
    bool m_Yearly;
    int m_Year, m_Month, m_Day;
};

bool Skip(const std::string& a_Text, std::size_t& a_Pos, const std::string& a_Literal) {
    if (a_Text.compare(a_Pos, a_Literal.size(), a_Literal) != 0)
        return false;
    a_Pos += a_Literal.size();
    return true;
}

bool IsDigit(const std::string& a_Text, std::size_t a_Pos) {
    return a_Pos < a_Text.size() && std::isdigit(static_cast<unsigned char>(a_Text[a_Pos]));
}

// From a_MinDigits to a_MaxDigits decimal digits at a_Pos.
bool ReadNumber(const std::string& a_Text, std::size_t& a_Pos, int a_MinDigits, int a_MaxDigits,
                int& a_Value) {
    int digits = 0;
    for (a_Value = 0; digits < a_MaxDigits && IsDigit(a_Text, a_Pos); ++digits)
        a_Value = a_Value * 10 + (a_Text[a_Pos++] - '0');
    return digits >= a_MinDigits;
}

// A three-letter day name at a_Pos, in any letter case, as its tm_wday.
bool ReadDay(const std::string& a_Text, std::size_t& a_Pos, int& a_Day) {
    std::string name = a_Text.substr(a_Pos, 3);
    for (char& letter : name)
        letter = char(std::tolower(static_cast<unsigned char>(letter)));
    for (a_Day = 0; a_Day < 7; ++a_Day) {
        if (name == c_DayNames[a_Day]) {
            a_Pos += 3;
            return true;
        }
    }
    return false;
}

// Days and ranges of days (wrapping past Saturday) joined by ',', as bits 1 << tm_wday; 0 when
// they cannot be read.
unsigned ReadDays(const std::string& a_Text, std::size_t& a_Pos) {
    unsigned days = 0;
    do {
        int day = 0;
        if (!ReadDay(a_Text, a_Pos, day))
            return 0;
        int last = day;
        if (Skip(a_Text, a_Pos, "-") && !ReadDay(a_Text, a_Pos, last))
            return 0;
        for (days |= 1u << day; day != last; days |= 1u << day)
            day = (day + 1) % 7;
    } while (Skip(a_Text, a_Pos, ","));
    return days;
}

// H:MM or HH:MM at a_Pos, as minutes into the day; 24:00 included.
bool ReadClock(const std::string& a_Text, std::size_t& a_Pos, int& a_Minutes) {
    int hour = 0, minute = 0;
    if (!ReadNumber(a_Text, a_Pos, 1, 2, hour) || !Skip(a_Text, a_Pos, ":") ||
        !ReadNumber(a_Text, a_Pos, 2, 2, minute) || minute >= 60)
        return false;
    a_Minutes = hour * 60 + minute;
    return a_Minutes <= c_MinutesPerDay;
}

// MM-DD (every year) or YYYY-MM-DD at a_Pos; whether it exists is not yet asked.
bool ReadDate(const std::string& a_Text, std::size_t& a_Pos, Date& a_Date) {
    std::size_t start = a_Pos;
    a_Date.m_Yearly = !(ReadNumber(a_Text, a_Pos, 4, 4, a_Date.m_Year) && Skip(a_Text, a_Pos, "-"));
    if (a_Date.m_Yearly)
        a_Pos = start;
    return ReadNumber(a_Text, a_Pos, 2, 2, a_Date.m_Month) && Skip(a_Text, a_Pos, "-") &&
           ReadNumber(a_Text, a_Pos, 2, 2, a_Date.m_Day) && !IsDigit(a_Text, a_Pos);
}

bool Exists(const Date& a_Date) {
    // A date every year may be 29 February: it falls in leap years only.
    int year = a_Date.m_Yearly ? 2000 : a_Date.m_Year;
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    const int lengths[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return a_Date.m_Month >= 1 && a_Date.m_Month <= 12 && a_Date.m_Day >= 1 &&
           a_Date.m_Day <= lengths[a_Date.m_Month - 1];
}

int Ordinal(const Date& a_Date) {
    return (a_Date.m_Yearly ? 0 : a_Date.m_Year * 10000) + a_Date.m_Month * 100 + a_Date.m_Day;
}

// Blanks, tabs and line breaks anywhere in an item do not matter.
std::string WithoutBlanks(std::string a_Text) {
    auto blank = [](char c) {
        return std::string_view(" \t\r\n").find(c) != std::string_view::npos;
    };
    a_Text.erase(std::remove_if(a_Text.begin(), a_Text.end(), blank), a_Text.end());
    return a_Text;
}

bool LocalFields(std::time_t a_Moment, std::tm& a_Fields) {
    return localtime_r(&a_Moment, &a_Fields) != nullptr;
}

// Seconds into the local day at a_Moment; none beyond the clock's range.
std::optional<int> SecondOfDay(std::time_t a_Moment) {
    std::tm fields{};
    if (!LocalFields(a_Moment, fields))
        return std::nullopt;
    return fields.tm_hour * 3600 + fields.tm_min * 60 + fields.tm_sec;
}

// How far the local clock is ahead of UTC, as far as the time of day shows it. Zones that skipped
// or repeated a whole day did so at midnight (Alaska's in 1867 aside), and midnight is an edge.
std::optional<int> DayOffset(std::time_t a_Moment) {
    std::optional<int> second = SecondOfDay(a_Moment);
    if (!second)
        return std::nullopt;
    return int(((*second - std::int64_t(a_Moment)) % c_SecsPerDay + c_SecsPerDay) % c_SecsPerDay);
}

CTimeVal Instant(std::time_t a_Secs) {
    timeval time{};
    time.tv_sec = a_Secs;
    return CTimeVal(time);
}
} // namespace

CCalendar::CCalendar(const std::string& a_Text) {
    for (std::size_t start = 0; start <= a_Text.size();) {
        std::size_t end = std::min(a_Text.find(';', start), a_Text.size());
        std::string item = CElementScanner::Trimmed(a_Text.substr(start, end - start));
        std::optional<EProblem> problem = ReadItem(WithoutBlanks(item));
        if (problem)
            m_Problems.push_back({item, *problem});
        start = end + 1;
    }
    m_Edges.push_back(int(c_SecsPerDay)); // every midnight
    for (const Window& window : m_Windows) {
        m_Edges.push_back(window.m_Start * 60);
        m_Edges.push_back(window.m_End * 60);
    }
    std::sort(m_Edges.begin(), m_Edges.end());
}

std::optional<CCalendar::EProblem> CCalendar::ReadItem(const std::string& a_Item) {
    std::size_t pos = 0;
    int day = 0;
    if (a_Item.empty()) // between two ';' or after the last: nothing to read
        return std::nullopt;
    if (ReadDay(a_Item, pos, day))
        return ReadDaysItem(a_Item);
    if (a_Item.find(':') != std::string::npos)
        return ReadWindow(a_Item, 0, c_EveryDay);
    if (IsDigit(a_Item, 0))
        return ReadDates(a_Item);
    return EProblem::NotAnItem;
}

std::optional<CCalendar::EProblem> CCalendar::ReadDaysItem(const std::string& a_Item) {
    std::size_t pos = 0;
    unsigned days = ReadDays(a_Item, pos);
    if (days == 0 || (pos < a_Item.size() && !IsDigit(a_Item, pos)))
        return EProblem::BadDays;
    if (pos < a_Item.size())
        return ReadWindow(a_Item, pos, days);
    m_Windows.push_back({days, 0, c_MinutesPerDay});
    return std::nullopt;
}

std::optional<CCalendar::EProblem> CCalendar::ReadWindow(const std::string& a_Item,
                                                         std::size_t a_Pos, unsigned a_Days) {
    int start = 0, end = 0;
    if (!ReadClock(a_Item, a_Pos, start) || start == c_MinutesPerDay || !Skip(a_Item, a_Pos, "-") ||
        !ReadClock(a_Item, a_Pos, end) || a_Pos != a_Item.size())
        return EProblem::BadWindow;
    if (start == end)
        return EProblem::EmptyWindow;
    m_Windows.push_back({a_Days, start, end});
    return std::nullopt;
}

std::optional<CCalendar::EProblem> CCalendar::ReadDates(const std::string& a_Item) {
    std::size_t pos = 0;
    Date first{};
    if (!ReadDate(a_Item, pos, first))
        return EProblem::BadDate;
    Date last = first;
    if ((Skip(a_Item, pos, "..") && !ReadDate(a_Item, pos, last)) || pos != a_Item.size())
        return EProblem::BadDate;
    if (!Exists(first) || !Exists(last))
        return EProblem::NoSuchDate;
    // A range every year may wrap past the year's end; a range of dated days may not run back.
    if (first.m_Yearly != last.m_Yearly || (!first.m_Yearly && Ordinal(last) < Ordinal(first)))
        return EProblem::BadRange;
    m_Dates.push_back({first.m_Yearly, Ordinal(first), Ordinal(last)});
    return std::nullopt;
}

bool CCalendar::Covers(const CTimeVal& a_Moment) const {
    std::tm fields{};
    return LocalFields(std::time_t(a_Moment.Seconds()), fields) && CoversFields(fields);
}

bool CCalendar::CoversFields(const std::tm& a_Fields) const {
    auto covers = [&a_Fields](const auto& a_Item) { return a_Item.Covers(a_Fields); };
    return std::any_of(m_Windows.begin(), m_Windows.end(), covers) ||
           std::any_of(m_Dates.begin(), m_Dates.end(), covers);
}

bool CCalendar::Window::Covers(const std::tm& a_Fields) const {
    int minute = a_Fields.tm_hour * 60 + a_Fields.tm_min;
    bool today = m_Days & (1u << a_Fields.tm_wday);
    bool yesterday = m_Days & (1u << ((a_Fields.tm_wday + 6) % 7));
    if (m_End <= m_Start) // past midnight
        return (today && minute >= m_Start) || (yesterday && minute < m_End);
    return today && minute >= m_Start && minute < m_End;
}

bool CCalendar::Dates::Covers(const std::tm& a_Fields) const {
    std::int64_t day = (a_Fields.tm_mon + 1) * 100 + a_Fields.tm_mday;
    if (!m_Yearly) // 64 bits: a clock set far ahead must not overflow
        day += (a_Fields.tm_year + std::int64_t(1900)) * 10000;
    if (m_Last < m_First) // every year, past the year's end
        return day >= m_First || day <= m_Last;
    return day >= m_First && day <= m_Last;
}

std::optional<CTimeVal> CCalendar::NextChange(const CTimeVal& a_From,
                                              const CTimeVal& a_Limit) const {
    if (Empty())
        return std::nullopt;
    std::time_t moment = std::time_t(a_From.Seconds());
    const bool covered = Covers(a_From);
    while (std::optional<std::time_t> next = NextEdge(moment)) {
        if (a_Limit < Instant(*next))
            break;
        moment = *next;
        if (Covers(Instant(moment)) != covered)
            return Instant(moment);
    }
    return std::nullopt;
}

// Coverage follows the local clock's fields, so it can change only where the local clock reaches
// a window's start or end or a midnight, or where it jumps (summer time). The next such moment.
std::optional<std::time_t> CCalendar::NextEdge(std::time_t a_Moment) const {
    std::optional<int> second = SecondOfDay(a_Moment);
    if (!second)
        return std::nullopt;
    std::time_t next =
        a_Moment + (*std::upper_bound(m_Edges.begin(), m_Edges.end(), *second) - *second);
    std::optional<int> offset = DayOffset(a_Moment);
    if (DayOffset(next) == offset)
        return next;
    // The clock jumps on the way there: the edge is the first second of the new offset. The
    // wall-clock reading is ambiguous or missing around it, so bisect between known offsets.
    for (std::time_t before = a_Moment; next - before > 1;) {
        std::time_t middle = before + (next - before) / 2;
        (DayOffset(middle) == offset ? before : next) = middle;
    }
    return next;
}

const char* CCalendar::ProblemText(EProblem a_Problem) {
    switch (a_Problem) {
    case EProblem::NotAnItem:
        break;
    case EProblem::BadDays:
        return "expected days as Mon, Tue, Wed, Thu, Fri, Sat or Sun, like Sat,Sun or Mon-Fri";
    case EProblem::BadWindow:
        return "expected a window of two clock times from 00:00 to 24:00, like 22:00-06:00";
    case EProblem::EmptyWindow:
        return "a window must end at another time than it starts, like 22:00-06:00";
    case EProblem::BadDate:
        return "expected a date as month-day or year-month-day, like 12-25 or 2026-12-24";
    case EProblem::NoSuchDate:
        return "there is no such date; expected one like 12-25 or 2026-12-24";
    case EProblem::BadRange:
        return "expected a range from an earlier date to a later one, like "
               "2026-12-24..2027-01-01, or one every year, like 12-24..01-02";
    }
    return "expected a day like Mon, a window like 22:00-06:00 or a date like 12-25";
}
