#ifndef QUILLANE_PLANSVG_H
#define QUILLANE_PLANSVG_H

#include "plan/PlanChart.h"

#include <cstddef>
#include <iostream>
#include <sstream>
#include <string>

// Draws one interval's timetable as an SVG picture: a time axis across the interval, a row for
// each chain with its bar and its label, and below them the next announcements. It scales to
// any width (a viewBox); one unit is one pixel at its natural width.
class CPlanSvg {
public:
    static constexpr int c_Width = 480;
    // The axis: 0 at c_AxisLeft, the end of the interval c_AxisWidth further right.
    static constexpr int c_AxisLeft = 20;
    static constexpr int c_AxisWidth = 440;
    static constexpr unsigned c_PlaysColour = 0x2f6fb3; // a chain that plays as keyed
    static constexpr unsigned c_ClashColour = 0xd9480f; // one that is skipped or late
    static constexpr unsigned c_KeyColour = 0x222222;   // the key a chain finishes at
    static constexpr unsigned c_QuietColour = 0xc9c9d6; // quiet hours in the week
    static constexpr unsigned c_StartColour = 0x14406e; // a chain's start in the week
    // Announcements listed; the rest are counted.
    static constexpr std::size_t c_MostLines = 40;

    static void Write(const CPlanChart& a_Chart, std::ostream& a_Out);

private:
    explicit CPlanSvg(const CPlanChart& a_Chart) : m_Chart(a_Chart) {}
    void Title();
    void Axis();
    void Bars();
    void Bar(const CPlanBar& a_Bar);
    void KeyMark(float a_X, int a_Tip);
    void Label(const CPlanBar& a_Bar, float a_Left, float a_Right);
    void Legend();
    void LegendEntry(unsigned a_Colour, bool a_Mark, const std::string& a_Text);
    void Lines();
    void Week();
    void WeekDay(const CPlanDay& a_Day);
    float DayX(float a_Secs) const;
    float X(float a_Secs) const;
    void Text(float a_X, int a_Y, int a_Size, const std::string& a_Text, const char* a_Extra = "");
    void Rect(float a_X, int a_Y, float a_Width, int a_Height, unsigned a_Colour);

    const CPlanChart& m_Chart;
    std::ostringstream m_Body;
    int m_Y = 0; // the top of what comes next
};

#endif
