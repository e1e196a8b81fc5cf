#ifndef QUILLANE_CALENDAR_H
#define QUILLANE_CALENDAR_H

#include "TimeVal.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

// When something holds by the local clock, summer time included: the value of m_Quiet (nothing
// is announced) and of m_When (a chain plays). A list of items separated by ';', each a daily
// window (22:00-06:00, start included, end not; 24:00 may end one), days with or without a window
// (Sat,Sun; Fri-Mon; Mon-Fri 12:00-13:00) or whole dates (12-25 every year, 2026-12-24 once,
// 2026-12-24..2027-01-01, 12-24..01-02 every year). A window past midnight belongs to the day it
// starts on. Blanks and the letter case of day names do not matter. Computed from the text and
// the moments asked about alone: no clock, no output.
class CCalendar {
public:
    enum class EProblem {
        NotAnItem,
        BadDays,
        BadWindow,
        EmptyWindow,
        BadDate,
        NoSuchDate,
        BadRange
    };
    // An item left out because it cannot be read.
    struct Unreadable {
        std::string m_Item; // as written, without the blanks around it
        EProblem m_Problem;
    };

    CCalendar() = default; // covers nothing
    // Reads a_Text; the items it cannot read are left out and listed in Problems().
    explicit CCalendar(const std::string& a_Text);

    // No item could be read (or there was none): nothing is covered.
    bool Empty() const { return m_Windows.empty() && m_Dates.empty(); }
    const std::vector<Unreadable>& Problems() const { return m_Problems; }
    bool Covers(const CTimeVal& a_Moment) const;
    // The end of the stretch a_From lies in: the first whole second after it that is covered when
    // a_From is not, or not covered when a_From is; none when that comes later than a_Limit.
    std::optional<CTimeVal> NextChange(const CTimeVal& a_From, const CTimeVal& a_Limit) const;

    // What an item with a_Problem should look like, in plain words with an example.
    static const char* ProblemText(EProblem a_Problem);

private:
    struct Window {
        unsigned m_Days; // bit 1 << tm_wday for each day the window starts on
        int m_Start;     // minutes into the day
        int m_End;       // up to 24:00; at or before m_Start it ends the next day
        bool Covers(const std::tm& a_Fields) const;
    };
    struct Dates {
        bool m_Yearly;
        int m_First; // MMDD every year, else YYYYMMDD; inclusive
        int m_Last;  // every year: before m_First it is in the following year
        bool Covers(const std::tm& a_Fields) const;
    };

    std::optional<EProblem> ReadItem(const std::string& a_Item);
    std::optional<EProblem> ReadDaysItem(const std::string& a_Item);
    std::optional<EProblem> ReadWindow(const std::string& a_Item, std::size_t a_Pos,
                                       unsigned a_Days);
    std::optional<EProblem> ReadDates(const std::string& a_Item);
    bool CoversFields(const std::tm& a_Fields) const;
    std::optional<std::time_t> NextEdge(std::time_t a_Moment) const;

    std::vector<Window> m_Windows; // whole days are windows from 00:00 to 24:00
    std::vector<Dates> m_Dates;
    std::vector<int> m_Edges; // seconds into a day: midnight, every window's start and end; sorted
    std::vector<Unreadable> m_Problems;
};

#endif
