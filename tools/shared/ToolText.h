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
// The directory a_Path lies in: "." for a bare name, "/" for one at the top.
std::string DirOf(const std::string& a_Path);
// The sound name import gives a file: its base name less its last extension.
std::string ImportName(const std::string& a_File);
// a_Hour:a_Min:a_Sec local time on the day of a_Day.
CTimeVal TodayAt(const CTimeVal& a_Day, int a_Hour, int a_Min, int a_Sec);

#endif
