#include "plan/PlanPlatform.h"

#include "Interval.h"
#include "shared/ToolText.h"

#include <cstdio>
#include <nlohmann/json.hpp>

namespace {
using CJson = nlohmann::ordered_json;
} // namespace

CPlanPlatform::CPlanPlatform(const CTimeVal& a_Start, std::ostream& a_Out, EForm a_Form,
                             std::ostream* a_Lines)
    : m_Now(a_Start), m_Out(a_Out), m_Form(a_Form), m_Lines(a_Lines) {}

void CPlanPlatform::SleepFor(std::int64_t a_MicroSecs) {
    if (a_MicroSecs > 0)
        Advance(a_MicroSecs);
}

EWaitEnd CPlanPlatform::WaitUntilOrChange(const CTimeVal& a_Until) {
    if (m_Now < a_Until)
        Advance(m_Now.MicroSecsTo(a_Until));
    return EWaitEnd::Reached;
}

EPlayEnd CPlanPlatform::Play(const CPlayback& a_Playback) {
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", m_Now.MilliSec());
    std::string start = m_Now.ClockText() + millis;
    std::string line = start + '\t' + CInterval::SecondsText(a_Playback.m_Key) + '\t' +
                       Printable(HeardText(a_Playback.m_Slots)) + '\n';
    if (m_Lines)
        *m_Lines << line;
    if (m_Form == EForm::Lines) {
        m_Out << line;
    } else {
        CJson sounds = CJson::array(), missing = CJson::array(), spoken = CJson::array();
        for (const CHeard& part : Heard(a_Playback.m_Slots)) {
            for (const std::string& name : part.m_Names)
                sounds.push_back(name);
            for (const std::string& name : part.m_Missing)
                missing.push_back(name);
            if (!part.m_Time.empty())
                spoken.push_back(part.m_Time);
        }
        CJson json{{"start", start},
                   {"key", a_Playback.m_Key},
                   {"sounds", sounds},
                   {"missing", missing},
                   {"spoken", spoken}};
        // Names on a stick need not be UTF-8; such bytes become U+FFFD instead of failing.
        m_Out << (m_Plays == 0 ? "  " : ",\n  ")
              << json.dump(-1, ' ', false, CJson::error_handler_t::replace);
    }
    ++m_Plays;
    double secs = double(a_Playback.m_LeadInSecs) + double(a_Playback.m_Duration);
    Advance(std::int64_t(secs * double(CTimeVal::c_MicrosPerSec)));
    return EPlayEnd::Finished;
}

void CPlanPlatform::Advance(std::int64_t a_MicroSecs) {
    m_Now.AddMicroSecs(a_MicroSecs);
    m_SteadyMicroSecs += a_MicroSecs;
}
