#include "check/CalendarCheck.h"

#include "ElementScanner.h"
#include "Schedule.h"
#include "check/ChainTiming.h"
#include "check/ElementCheck.h"
#include "shared/ChainPlacement.h"

#include <algorithm>

namespace {
std::string Quoted(const std::string& a_Text) {
    return "\"" + CElementScanner::Trimmed(a_Text) + "\"";
}
} // namespace

CCalendarCheck::CCalendarCheck(const CSchedule& a_Schedule, const CElementCheck& a_Names,
                               const CChainTiming& a_Timing, const CTimeVal& a_Now)
    : m_Schedule(a_Schedule), m_Names(a_Names), m_From(a_Now), m_Limit(a_Now) {
    m_Limit.AddSecs(c_LookAheadDays * 24 * 3600);
    const CCalendar& quiet = a_Schedule.Quiet();
    // Quiet all year: no chain need be asked about.
    bool quietAllYear = quiet.Covers(m_From) && !quiet.NextChange(m_From, m_Limit);
    bool asked = false, quietAllows = false, plays = false;
    for (const auto& [key, chain] : a_Schedule.Program()) {
        // A chain that plays in no interval of a day is a finding of its own already.
        if (a_Timing.PlaysPerDay(key) == 0)
            continue;
        asked = true;
        bool allows = quiet.Empty() || (!quietAllYear && PlaysWithin(key, *chain, nullptr));
        bool starts = allows && (!chain->When() || PlaysWithin(key, *chain, chain->When()));
        if (allows && !starts)
            m_Never.push_back(key);
        quietAllows = quietAllows || allows;
        plays = plays || starts;
    }
    if (!asked || plays)
        return;
    m_AlwaysQuiet = !quietAllows;
    m_NothingPlays = m_AlwaysQuiet
                         ? "quiet hours hold every chain's start all year, see above"
                         : "within a year no chain starts inside its m_When outside quiet hours, "
                           "see above";
}

// Each stretch of time that the calendars allow, and the intervals that start in it, until one
// holds a start of the chain.
bool CCalendarCheck::PlaysWithin(float a_Key, const CChain& a_Chain,
                                 const CCalendar* a_When) const {
    CChain& chain = const_cast<CChain&>(a_Chain); // placed, not changed
    for (std::optional<CTimeVal> from = NextAllowed(m_From, a_When); from;) {
        CTimeVal until = AllowedUntil(*from, a_When);
        for (CInterval interval(*from, m_Schedule.FrequencySecs()); interval.Start() < until;
             interval = interval.Next()) {
            if (!interval.Holds(a_Key))
                continue;
            CPlacedChain placed = CChainPlacement::Of(a_Key, chain, interval);
            if (!placed.m_BeforeStart && !(placed.m_Start < *from) && placed.m_Start < until)
                return true;
        }
        if (!(until < m_Limit))
            return false;
        from = NextAllowed(until, a_When);
    }
    return false;
}

// The first moment from a_From on that is not quiet and lies in a_When (when given).
std::optional<CTimeVal> CCalendarCheck::NextAllowed(CTimeVal a_From,
                                                    const CCalendar* a_When) const {
    const CCalendar& quiet = m_Schedule.Quiet();
    for (std::optional<CTimeVal> moment = a_From; moment;) {
        if (quiet.Covers(*moment))
            moment = quiet.NextChange(*moment, m_Limit);
        else if (a_When && !a_When->Covers(*moment))
            moment = a_When->NextChange(*moment, m_Limit);
        else
            return moment;
    }
    return std::nullopt;
}

CTimeVal CCalendarCheck::AllowedUntil(const CTimeVal& a_From, const CCalendar* a_When) const {
    CTimeVal until = m_Schedule.Quiet().NextChange(a_From, m_Limit).value_or(m_Limit);
    if (a_When)
        until = std::min(until, a_When->NextChange(a_From, m_Limit).value_or(m_Limit));
    return until;
}

void CCalendarCheck::AddFindings(std::vector<CCheckFinding>& a_Findings) const {
    AddItems(CSchedule::c_Quiet, m_Names.TopLevel().m_Quiet.m_Value, 0, a_Findings);
    for (const CElementCheck::CWhenRead& when : m_Names.Whens()) {
        if (when.m_StartsChain) {
            AddItems(CSchedule::c_When, when.m_Value, when.m_Record, a_Findings);
        } else if (when.m_Joins) {
            CCheckFinding finding = CCheckFinding::Make(
                EFinding::WhenIgnored,
                m_Names.RecordName(when.m_Record) +
                    " joins the chain before it (m_AfterMsg 1), so the board ignores its m_When " +
                    Quoted(when.m_Value) +
                    ": only the record that starts a chain says when it "
                    "plays");
            finding.m_Record = when.m_Record;
            a_Findings.push_back(finding);
        }
    }
    if (m_AlwaysQuiet)
        a_Findings.push_back(CCheckFinding::Make(
            EFinding::AlwaysQuiet, "m_Quiet " + Quoted(m_Names.TopLevel().m_Quiet.m_Value) +
                                       " leaves nothing to announce: no chain starts outside "
                                       "quiet hours within a year"));
    for (float key : m_Never) {
        std::size_t record = m_Names.ChainRecord(key, 0);
        auto when = std::find_if(
            m_Names.Whens().begin(), m_Names.Whens().end(),
            [&](const CElementCheck::CWhenRead& a_When) { return a_When.m_Record == record; });
        std::string label = m_Names.ChainLabel(key);
        label[0] = 'T';
        CCheckFinding finding = CCheckFinding::Make(
            EFinding::WhenNever,
            label + " never plays: within a year its start never falls in its m_When " +
                Quoted(when == m_Names.Whens().end() ? "" : when->m_Value) +
                (m_Schedule.Quiet().Empty() ? "" : " outside quiet hours"));
        finding.m_Keys = {key};
        finding.m_Record = record;
        a_Findings.push_back(finding);
    }
    AddLeadIn(a_Findings);
}

// One finding for each item the board leaves out, in the words of the calendar's own reader.
void CCalendarCheck::AddItems(const std::string& a_Element, const std::string& a_Value,
                              std::size_t a_Record, std::vector<CCheckFinding>& a_Findings) const {
    CCalendar calendar(a_Value);
    std::string where = a_Record == 0 ? "" : m_Names.RecordName(a_Record) + ": ";
    std::string none = !calendar.Empty() ? ""
                       : a_Record == 0   ? "; none is left, so no hours are quiet"
                                         : "; none is left, so the chain plays at all times";
    for (const CCalendar::Unreadable& item : calendar.Problems()) {
        CCheckFinding finding = CCheckFinding::Make(
            EFinding::CalendarItem, where + a_Element + " item \"" + item.m_Item +
                                        "\": " + CCalendar::ProblemText(item.m_Problem) +
                                        "; the board leaves the item out" + none);
        finding.m_Record = a_Record;
        a_Findings.push_back(finding);
    }
}

void CCalendarCheck::AddLeadIn(std::vector<CCheckFinding>& a_Findings) const {
    std::string leadIn = CElementScanner::Trimmed(m_Names.TopLevel().m_LeadIn.m_Value);
    float secs = 0;
    if (leadIn.empty() || CSchedule::ParseLeadIn(leadIn, secs))
        return;
    a_Findings.push_back(
        CCheckFinding::Make(EFinding::LeadInRange,
                            "m_LeadIn \"" + leadIn + "\" is not a time from " +
                                CInterval::KeyText(CSchedule::c_MinLeadInTenths / 10.0f) + " to " +
                                CInterval::KeyText(CSchedule::c_MaxLeadInTenths / 10.0f) +
                                ": the board plays without a lead-in"));
}
