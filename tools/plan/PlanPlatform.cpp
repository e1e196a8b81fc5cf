#include "plan/PlanPlatform.h"

#include "Interval.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace {
using CJson = nlohmann::ordered_json;

std::string Day(const CTimeVal& a_Moment) {
    return a_Moment.DateTimeText().substr(0, 10);
}

// "22:00", or "22:00:15" off the minute; with the date when a_Dated.
std::string QuietEdge(const CTimeVal& a_Moment, bool a_Dated) {
    std::string clock = a_Moment.ClockText();
    if (clock.compare(5, 3, ":00") == 0)
        clock.resize(5);
    return a_Dated ? Day(a_Moment) + " " + clock : clock;
}
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
    CLine line{m_Now,
               '\t' + CInterval::SecondsText(a_Playback.m_Key) + '\t' +
                   Printable(HeardText(a_Playback.m_Slots)),
               "", false};
    if (m_Form == EForm::Json) {
        CJson sounds = CJson::array(), missing = CJson::array(), spoken = CJson::array();
        for (const CHeard& part : Heard(a_Playback.m_Slots)) {
            for (const std::string& name : part.m_Names)
                sounds.push_back(name);
            for (const std::string& name : part.m_Missing)
                missing.push_back(name);
            if (!part.m_Time.empty())
                spoken.push_back(part.m_Time);
        }
        CJson json{{"key", a_Playback.m_Key},
                   {"sounds", sounds},
                   {"missing", missing},
                   {"spoken", spoken}};
        // Names on a stick need not be UTF-8; such bytes become U+FFFD instead of failing.
        line.m_Json = json.dump(-1, ' ', false, CJson::error_handler_t::replace).substr(1);
    }
    Hold(line);
    ++m_Plays;
    double secs = double(a_Playback.m_LeadInSecs) + double(a_Playback.m_Duration);
    Advance(std::int64_t(secs * double(CTimeVal::c_MicrosPerSec)));
    return EPlayEnd::Finished;
}

void CPlanPlatform::Quiet(const CTimeVal& a_From, const CTimeVal& a_Until, bool a_EndKnown) {
    Hold(CLine{a_From, "", "", true, a_Until, a_EndKnown});
}

void CPlanPlatform::Hold(CLine a_Line) {
    if (!m_Dated && !a_Line.m_Quiet) {
        auto first = std::find_if(m_Held.begin(), m_Held.end(),
                                  [](const CLine& a_Held) { return !a_Held.m_Quiet; });
        m_Dated = first != m_Held.end() && Day(first->m_Start) != Day(a_Line.m_Start);
    }
    m_Held.push_back(std::move(a_Line));
    if (m_Dated)
        Finish();
}

void CPlanPlatform::Finish() {
    for (const CLine& line : m_Held)
        Write(line);
    m_Held.clear();
}

void CPlanPlatform::Write(const CLine& a_Line) {
    std::string text;
    if (a_Line.m_Quiet) {
        bool dated = m_Dated || a_Line.m_Start.MicroSecsTo(a_Line.m_Until) >=
                                    24LL * 3600 * CTimeVal::c_MicrosPerSec;
        text = "quiet " + QuietEdge(a_Line.m_Start, dated) + " to " +
               (a_Line.m_EndKnown ? "" : "at least ") + QuietEdge(a_Line.m_Until, dated);
        if (m_Lines)
            *m_Lines << text << '\n';
        if (m_Form == EForm::Lines)
            m_Out << text << '\n';
        return;
    }
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03d", a_Line.m_Start.MilliSec());
    std::string start =
        (m_Dated ? a_Line.m_Start.DateTimeText() : a_Line.m_Start.ClockText()) + millis;
    text = start + a_Line.m_Text + '\n';
    if (m_Lines)
        *m_Lines << text;
    if (m_Form == EForm::Lines)
        m_Out << text;
    else
        m_Out << (m_Written++ == 0 ? "  " : ",\n  ") << "{\"start\":\"" << start << "\","
              << a_Line.m_Json;
}

void CPlanPlatform::Advance(std::int64_t a_MicroSecs) {
    m_Now.AddMicroSecs(a_MicroSecs);
    m_SteadyMicroSecs += a_MicroSecs;
}
