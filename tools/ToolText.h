#ifndef QUILLANE_TOOLTEXT_H
#define QUILLANE_TOOLTEXT_H

#include "TimeVal.h"

#include <string>

// Text forms shared by the tool's reports.

// Local time as HH:MM:SS, zero-padded.
std::string ClockText(const CTimeVal& a_Time);
// Local time as HH:MM:SS.mmm, zero-padded.
std::string ClockTextMs(const CTimeVal& a_Time);
// A duration to a tenth of a second: "2.5 s".
std::string DurationText(float a_Secs);
// An interval length as M:SS, as the schedule file writes it.
std::string IntervalText(int a_Secs);
// a_Text made safe for a terminal: control characters and bytes that are not UTF-8 are
// written as \xNN, so a file name cannot move the cursor or fake a line of the report.
std::string Printable(const std::string& a_Text);

#endif
