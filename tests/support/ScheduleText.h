#ifndef QUILLANE_SCHEDULETEXT_H
#define QUILLANE_SCHEDULETEXT_H

#include <string>

// Builders for schedule file texts.
std::string El(const std::string& a_Name, const std::string& a_Value);
// One record definition with every element written.
std::string Rec(const std::string& a_Name, const std::string& a_Type, const std::string& a_Timing,
                bool a_After = false, const std::string& a_Finish = "0",
                const std::string& a_Offset = "0");
// The interval followed by the records inside a Records element.
std::string ScheduleFile(const std::string& a_Records, const std::string& a_Frequency = "5:00");

#endif
