#ifndef QUILLANE_CTLSUPPORT_H
#define QUILLANE_CTLSUPPORT_H

#include "Ctl.h"
#include "TestSupport.h"
#include "check/CheckReport.h"

#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

// quillanectl's command line, run in-process: its status, output and errors.
struct CCtlResult {
    int m_Status;
    std::string m_Out, m_Err;
};

// a_Out, when given, takes the output instead of the result.
inline CCtlResult RunCtl(std::vector<std::string> a_Args, std::ostream* a_Out = nullptr) {
    std::vector<const char*> argv{"quillanectl"};
    for (const std::string& arg : a_Args)
        argv.push_back(arg.c_str());
    std::ostringstream out, err;
    int status = CCtl(a_Out ? *a_Out : out, err).Main(int(argv.size()), argv.data());
    return {status, out.str(), err.str()};
}

// The kinds of a report's findings, separated by blanks.
inline std::string FindingKinds(const CCheckReport& a_Report) {
    std::string kinds;
    for (const CCheckFinding& finding : a_Report.m_Findings)
        kinds += (kinds.empty() ? "" : " ") + std::string(KindOf(finding.m_Kind).m_Word);
    return kinds;
}

// The samples of a recording written with a plain 44-byte header, as they lie: little-endian.
inline std::vector<std::int16_t> PcmSamples(const std::string& a_Path) {
    std::string bytes = ReadFile(a_Path).substr(44);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

#endif
