#include "CtlSupport.h"

#include "Ctl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

namespace {
std::string TwoDigits(const char* a_Prefix, int a_Value) {
    return a_Prefix + std::string(a_Value < 10 ? "0" : "") + std::to_string(a_Value);
}
} // namespace

void WriteTimeSounds(const CTempDir& a_Dir, const std::string& a_Rel, double a_Seconds,
                     const std::set<std::string>& a_Except) {
    std::vector<std::string> names;
    for (int hour = 0; hour < 24; ++hour)
        names.push_back(TwoDigits("cdhour", hour));
    for (int number = 1; number < 10; ++number)
        names.push_back("cdnum" + std::to_string(number));
    for (int number = 0; number < 60; ++number)
        names.push_back(TwoDigits("cdnum", number));
    for (const std::string& name : names)
        if (a_Except.count(name) == 0)
            WriteWav(a_Dir, a_Rel + "/" + name + ".wav", a_Seconds);
}

std::vector<std::string> FindingKinds(const CCheckReport& a_Report) {
    std::vector<std::string> kinds;
    for (const CCheckFinding& finding : a_Report.m_Findings)
        kinds.push_back(finding.m_Kind);
    return kinds;
}

const CCheckFinding& FindingOf(const CCheckReport& a_Report, const std::string& a_Kind) {
    for (const CCheckFinding& finding : a_Report.m_Findings)
        if (finding.m_Kind == a_Kind)
            return finding;
    ADD_FAILURE() << "no finding of kind " << a_Kind;
    static const CCheckFinding c_None;
    return c_None;
}

std::vector<std::int16_t> PcmSamples(const std::string& a_Path) {
    std::string bytes = ReadFile(a_Path).substr(44);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2); // as the data lie: little-endian
    return samples;
}

CCtlResult RunCtl(const std::vector<std::string>& a_Args) {
    std::vector<const char*> argv{"quillanectl"};
    for (const std::string& arg : a_Args)
        argv.push_back(arg.c_str());
    std::ostringstream out, err;
    int status = CCtl(out, err).Main(int(argv.size()), argv.data());
    return CCtlResult{status, out.str(), err.str()};
}
