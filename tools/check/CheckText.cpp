#include "check/CheckText.h"

#include "Interval.h"
#include "shared/ToolText.h"

#include <iomanip>
#include <set>

void CCheckText::Write(const CCheckReport& a_Report, std::ostream& a_Out) {
    if (!a_Report.m_Dir.empty()) {
        a_Out << "Schedule directory: " << Printable(a_Report.m_Dir) << "\n";
        a_Out << "Recordings: " << a_Report.m_TimeSounds << " time sounds, "
              << a_Report.m_AnnouncementSounds << " announcements\n";
    }
    if (a_Report.m_Loaded) {
        a_Out << "Interval: " << IntervalText(a_Report.m_FrequencySecs) << "\n";
        WriteChains(a_Report, a_Out);
    } else {
        for (const std::string& message : a_Report.m_Messages)
            a_Out << Printable(message) << "\n";
    }
    WriteFindings(a_Report, a_Out);
    WriteVerdict(a_Report, a_Out);
}

void CCheckText::WriteChains(const CCheckReport& a_Report, std::ostream& a_Out) {
    if (a_Report.m_Chains.empty())
        return;
    a_Out << "Chains in key order, with durations for the announcement at "
          << a_Report.m_AnnounceTime.ClockText() << ":\n";
    for (const CChainInfo& chain : a_Report.m_Chains)
        WriteChain(chain, a_Out);
}

void CCheckText::WriteChain(const CChainInfo& a_Chain, std::ostream& a_Out) {
    a_Out << "  " << std::left << std::setw(9) << CInterval::KeyText(a_Chain.m_Key)
          << (a_Chain.m_AnchoredStart ? "starts" : "finishes") << " at its key, lasts "
          << DurationText(a_Chain.m_Duration) << "\n";
    for (const CRecordInfo& record : a_Chain.m_Records) {
        a_Out << "           " << std::setw(13) << record.m_Kind << "\"" << Printable(record.m_Name)
              << "\"";
        if (record.m_MinOffset != 0)
            a_Out << ", " << std::showpos << record.m_MinOffset << std::noshowpos << " min";
        a_Out << "\n";
    }
    a_Out << std::right;
}

void CCheckText::WriteFindings(const CCheckReport& a_Report, std::ostream& a_Out) {
    if (a_Report.m_Findings.empty())
        return;
    a_Out << a_Report.m_Findings.size()
          << (a_Report.m_Findings.size() == 1 ? " problem:\n" : " problems:\n");
    std::set<std::string> hintsGiven; // the same advice once is enough
    for (const CCheckFinding& finding : a_Report.m_Findings) {
        a_Out << "  " << KindOf(finding.m_Kind).m_Word << ": " << Printable(finding.m_Text) << "\n";
        if (!finding.m_Hint.empty() && hintsGiven.insert(finding.m_Hint).second)
            a_Out << "    " << Printable(finding.m_Hint) << "\n";
    }
}

void CCheckText::WriteVerdict(const CCheckReport& a_Report, std::ostream& a_Out) {
    if (!a_Report.m_Loaded)
        a_Out << "The stick is not usable.\n";
    else if (!a_Report.m_Unheard.empty())
        a_Out << "The stick is not usable: " << Printable(a_Report.m_Unheard) << ".\n";
    else if (a_Report.m_Findings.empty())
        a_Out << "No problems found: the stick is usable.\n";
    else if (a_Report.ExitStatus(true) != 0)
        a_Out << "The stick is usable; the problems above change what is played.\n";
    else
        a_Out << "The stick is usable and plays as its schedule reads; tidy the notes above.\n";
}
