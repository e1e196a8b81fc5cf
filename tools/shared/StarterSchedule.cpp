#include "shared/StarterSchedule.h"

#include "Interval.h"
#include "Wave.h"
#include "shared/ToolText.h"

#include <cmath>
#include <cstdio>

namespace {
constexpr double c_Pi = 3.14159265358979323846;

const char* const c_Head = R"(<?xml version="1.0"?>
<!-- The schedule of this stick, made by quillanectl init. Edit it with any text editor, then
     check the stick with: quillanectl check followed by the stick's directory. The board
     reads this file when the stick is put in. -->
<Schedule>
  <!-- The interval, minutes:seconds, one that divides the hour (such as 5:00, 10:00, 15:00
       or 30:00). Everything below plays once in every interval. -->
)";
const char* const c_Legend =
    R"(  <!-- Each record is one sound. Its values, in order: the recording's name (its file name
       without .wav), or any label for the spoken time; Custom for a recording, Timed for the
       spoken time; the key, minutes:seconds.tenths into the interval; 1 when the chain ends
       at its key, 0 when it starts there; 1 when the record follows the record before it in
       one chain, 0 when it starts a chain; for the spoken time, minutes added to the time.
       To play an announcement, copy the chime's record, give the copy your recording's name
       and a key of its own, and put the recording beside this file. -->
)";
// Each calendar element switched off in a comment of its own, so that a new stick plays at all
// hours, as on a board that does not know them.
const char* const c_Calendar =
    R"(  <!-- Each of the next three is switched off; to switch one on, move the end of its
       comment to just before the element. Boards older than these elements ignore them. -->
  <!-- Quiet hours, when nothing is announced: here every night from 22:00 to 06:00 (more can
       follow, separated by ;, such as Sat,Sun or 12-25 or Mon-Fri 12:00-13:00).
       <m_Quiet>22:00-06:00</m_Quiet> -->
  <!-- Half a second of silence before every chain, so that an amplifier that wakes on the
       first sound loses none of it (0:00.1 to 0:05.0).
       <m_LeadIn>0:00.5</m_LeadIn> -->
  <!-- A greeting when the stick is read: the chime, then the time, so that staff hear that
       the stick, the clock and the loudspeaker work.
       <m_Greeting>chime</m_Greeting> -->
)";
const char* const c_ChimeNote =
    "    <!-- The chime, %s into every interval. To play it on weekdays only, write\n"
    "         <m_When>Mon-Fri</m_When> in its record (m_When takes what m_Quiet takes). -->\n";
const char* const c_TimeNote =
    R"(    <!-- Ending exactly as the next interval begins: "the time is" and the time, so that
         "the time is fourteen thirty-five" ends as 14:35 begins. -->
)";

} // namespace

std::string CStarterSchedule::RecordText(const std::string& a_Name, const std::string& a_Type,
                                         const std::string& a_Key, bool a_Finish, bool a_After) {
    return "    <Record>\n      <m_Name>" + a_Name + "</m_Name> <Type>" + a_Type +
           "</Type> <m_TimingTime>" + a_Key + "</m_TimingTime>\n      <m_FinishAtTime>" +
           (a_Finish ? "1" : "0") + "</m_FinishAtTime> <m_AfterMsg>" + (a_After ? "1" : "0") +
           "</m_AfterMsg> <m_OffsetTime>0</m_OffsetTime>\n    </Record>\n";
}

namespace {
// One bell stroke: a fundamental and a bell's inharmonic partial, fading out.
double Stroke(double a_Time, double a_Hertz) {
    if (a_Time < 0)
        return 0;
    double attack = std::min(1.0, a_Time / 0.005);
    return attack * std::exp(-a_Time / 0.45) *
           (std::sin(2 * c_Pi * a_Hertz * a_Time) +
            0.3 * std::sin(2 * c_Pi * 2.76 * a_Hertz * a_Time));
}
} // namespace

float CStarterSchedule::ChimeKey(int a_IntervalSecs) {
    return a_IntervalSecs >= 60 ? 30 : a_IntervalSecs / 2.0f;
}

std::string CStarterSchedule::Text(int a_IntervalSecs) {
    std::string chimeKey = CInterval::KeyText(ChimeKey(a_IntervalSecs));
    std::string timeKey = CInterval::KeyText(float(a_IntervalSecs));
    char chimeNote[256];
    std::snprintf(chimeNote, sizeof chimeNote, c_ChimeNote, chimeKey.c_str());
    return c_Head + ("  <m_Frequency>" + IntervalText(a_IntervalSecs) + "</m_Frequency>\n") +
           c_Calendar + c_Legend + "  <Records>\n" + chimeNote +
           RecordText("chime", "Custom", chimeKey, false, false) + c_TimeNote +
           RecordText(c_TimeIs, "Custom", timeKey, true, false) +
           RecordText("clock", "Timed", timeKey, true, true) + "  </Records>\n</Schedule>\n";
}

// Two strokes falling a major third (E5, then C5), as a platform gong sounds.
CMonoSound CStarterSchedule::Chime() {
    constexpr double c_Seconds = 2.0, c_Second = 0.55;
    constexpr int c_Rate = int(CWave::c_sample_rate);
    std::vector<float> samples(std::size_t(c_Seconds * c_Rate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        double time = double(i) / c_Rate;
        double fadeOut = std::min(1.0, (c_Seconds - time) / 0.05);
        samples[i] =
            float(0.3 * fadeOut * (Stroke(time, 659.25) + Stroke(time - c_Second, 523.25)));
    }
    return CMonoSound(std::move(samples), c_Rate);
}
