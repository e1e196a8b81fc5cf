#ifndef QUILLANE_TOOLTEXT_H
#define QUILLANE_TOOLTEXT_H

#include "Slot.h"
#include "TimeVal.h"

#include <list>
#include <string>
#include <vector>

// Text forms, and a time of day, shared by the tool's commands.

// A duration to a tenth of a second: "2.5 s".
std::string DurationText(float a_Secs);
// An interval length as M:SS, as the schedule file writes it.
std::string IntervalText(int a_Secs);
// a_Text made safe for a terminal: control characters and bytes that are not UTF-8 are
// written as \xNN, so a file name cannot move the cursor or fake a line of the report.
std::string Printable(const std::string& a_Text);
// a_Text is UTF-8 throughout (plain ASCII is).
bool IsUtf8(const std::string& a_Text);
// a_Text read as Latin-1 (ISO 8859-1), in UTF-8: "Z\xFCrich" is "Zürich".
std::string Latin1AsUtf8(const std::string& a_Text);
// The fewest letters to change, add or drop to turn one word into the other.
std::size_t EditDistance(const std::string& a_From, const std::string& a_To);
// The directory a_Path lies in: "." for a bare name, "/" for one at the top.
std::string DirOf(const std::string& a_Path);
// a_Parts with a_Between between each two: {"a", "b"} and ", " give "a, b".
std::string Joined(const std::vector<std::string>& a_Parts, const std::string& a_Between);
// The sound name import gives a file: its base name less its last extension.
std::string ImportName(const std::string& a_File);
// The minute of the day that the time sounds a_Names say (cdnum12 cdnum15: 12:15), by the rule a
// time record speaks it; -1 when they are not a spoken time.
int SpokenMinute(const std::vector<std::string>& a_Names);
// A minute of the day as a clock shows it: "09:05".
std::string MinuteText(int a_Minute);
// One part of what a chain plays as a person hears it: an announcement, or a spoken time.
struct CHeard {
    std::vector<std::string> m_Names;   // its sound names
    std::vector<std::string> m_Missing; // those the stick lacks
    std::string m_Time;                 // what a spoken time says, "12:15"; empty for none
    // "12:15" for a spoken time, the names otherwise or when one is missing, each missing one
    // marked "!".
    std::string Text() const;
};
// A chain's recordings in play order, grouped as heard: each spoken time by the rule a time
// record speaks it (cdnum12 cdnum15 says 12:15).
std::vector<CHeard> Heard(const std::list<CSlot>& a_Slots);
// The parts' texts, separated by blanks: "time-is 12:15".
std::string HeardText(const std::list<CSlot>& a_Slots);
// a_Hour:a_Min:a_Sec local time on the day of a_Day.
CTimeVal TodayAt(const CTimeVal& a_Day, int a_Hour, int a_Min, int a_Sec);

#endif
