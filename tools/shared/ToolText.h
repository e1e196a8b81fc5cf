#ifndef QUILLANE_TOOLTEXT_H
#define QUILLANE_TOOLTEXT_H

#include "TimeVal.h"

#include <string>

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
// a_Text without the blanks, tabs and line breaks around it.
std::string Trimmed(const std::string& a_Text);
// The directory a_Path lies in: "." for a bare name, "/" for one at the top.
std::string DirOf(const std::string& a_Path);
// The sound name import gives a file: its base name less its last extension.
std::string ImportName(const std::string& a_File);
// a_Hour:a_Min:a_Sec local time on the day of a_Day.
CTimeVal TodayAt(const CTimeVal& a_Day, int a_Hour, int a_Min, int a_Sec);

#endif
