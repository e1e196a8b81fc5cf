#ifndef QUILLANE_CALENDARCHECK_H
#define QUILLANE_CALENDARCHECK_H

#include "Calendar.h"
#include "check/CheckReport.h"

#include <string>
#include <vector>

class CChain;
class CChainTiming;
class CElementCheck;
class CSchedule;

// The schedule's calendar as the board reads it: items of m_Quiet and m_When it cannot read,
// quiet hours that leave nothing to announce, an m_When in which a chain never starts, an m_When
// the board ignores, and a lead-in it ignores. Whether a chain plays is asked of every interval
// the calendars allow within a year (every date of a year once), by the scheduler's rule: its
// start falls outside quiet hours and inside its m_When.
class CCalendarCheck {
public:
    static constexpr int c_LookAheadDays = 366;

    CCalendarCheck(const CSchedule& a_Schedule, const CElementCheck& a_Names,
                   const CChainTiming& a_Timing, const CTimeVal& a_Now);

    void AddFindings(std::vector<CCheckFinding>& a_Findings) const;
    // Why no chain ever plays, for the verdict; empty when one does.
    const std::string& NothingPlays() const { return m_NothingPlays; }

private:
    bool PlaysWithin(float a_Key, const CChain& a_Chain, const CCalendar* a_When) const;
    std::optional<CTimeVal> NextAllowed(CTimeVal a_From, const CCalendar* a_When) const;
    CTimeVal AllowedUntil(const CTimeVal& a_From, const CCalendar* a_When) const;
    void AddItems(const std::string& a_Element, const std::string& a_Value, std::size_t a_Record,
                  std::vector<CCheckFinding>& a_Findings) const;
    void AddLeadIn(std::vector<CCheckFinding>& a_Findings) const;

    const CSchedule& m_Schedule;
    const CElementCheck& m_Names;
    CTimeVal m_From, m_Limit;
    bool m_AlwaysQuiet = false; // quiet hours hold every start of every chain that plays
    std::vector<float> m_Never; // chains that never start inside their m_When
    std::string m_NothingPlays;
};

#endif
