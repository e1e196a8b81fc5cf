#ifndef QUILLANE_CTLSUPPORT_H
#define QUILLANE_CTLSUPPORT_H

#include "CheckReport.h"
#include "TestSupport.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// Every time sound (cdhour00-23, cdnum1-9, cdnum00-59) below a_Rel, a_Seconds each, except
// the names in a_Except.
void WriteTimeSounds(const CTempDir& a_Dir, const std::string& a_Rel, double a_Seconds,
                     const std::set<std::string>& a_Except = {});

// The kinds of a report's findings, in order.
std::vector<std::string> FindingKinds(const CCheckReport& a_Report);
// The first finding of a_Kind; fails the test when there is none.
const CCheckFinding& FindingOf(const CCheckReport& a_Report, const std::string& a_Kind);

// The samples of a recording written with a plain 44-byte header.
std::vector<std::int16_t> PcmSamples(const std::string& a_Path);

// quillanectl's command line run in-process.
struct CCtlResult {
    int m_Status;
    std::string m_Out;
    std::string m_Err;
};
CCtlResult RunCtl(const std::vector<std::string>& a_Args);

#endif
