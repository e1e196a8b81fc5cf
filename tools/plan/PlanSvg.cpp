#include "plan/PlanSvg.h"

#include "Interval.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <utility>

namespace {
constexpr int c_Right = CPlanSvg::c_AxisLeft + CPlanSvg::c_AxisWidth;
constexpr int c_RowHeight = 42; // a chain's row: its label, the mark of its key, its bar
constexpr int c_BarTop = 26;
constexpr int c_BarHeight = 12;
constexpr int c_LabelSize = 14;
constexpr float c_CharWidth = 0.61f; // of the monospace font, per unit of its size
constexpr std::size_t c_NameChars = 24;
constexpr float c_ThinnestBar = 2; // a chain of (almost) no duration still shows
constexpr int c_TabStop = 7;       // plan's columns: the time, the key, the recordings

std::string Colour(unsigned a_Rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", a_Rgb & 0xFFFFFFu);
    return text;
}

std::string Num(float a_Value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", double(a_Value));
    return text;
}

// Characters of UTF-8 text, as Printable leaves it.
std::size_t Chars(const std::string& a_Text) {
    return std::size_t(std::count_if(a_Text.begin(), a_Text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// The first a_Most characters of a_Text, the last of them an ellipsis when some are left out.
std::string Shortened(const std::string& a_Text, std::size_t a_Most) {
    if (Chars(a_Text) <= a_Most)
        return a_Text;
    std::size_t end = 0;
    for (std::size_t kept = 0; kept + 1 < a_Most; ++kept)
        do
            ++end;
        while (end < a_Text.size() && (static_cast<unsigned char>(a_Text[end]) & 0xC0) == 0x80);
    return a_Most == 0 ? "" : a_Text.substr(0, end) + "\u2026";
}

// How many characters of a_Size fit in a_Width.
std::size_t Fitting(float a_Width, int a_Size) {
    return std::size_t(std::max(0.0f, a_Width / (float(a_Size) * c_CharWidth)));
}

// Text that can stand in XML: Printable takes out the control characters, and the two other
// characters XML forbids are written as their bytes, as Printable writes the others.
std::string Shown(const std::string& a_Text) {
    static const std::pair<const char*, const char*> c_Forbidden[] = {
        {"\xEF\xBF\xBE", "\\xEF\\xBF\\xBE"}, {"\xEF\xBF\xBF", "\\xEF\\xBF\\xBF"}};
    std::string text = Printable(a_Text);
    for (const auto& [character, bytes] : c_Forbidden)
        for (std::size_t pos; (pos = text.find(character)) != std::string::npos;)
            text.replace(pos, 3, bytes);
    return text;
}

std::string Escaped(const std::string& a_Text) {
    std::string text;
    for (char c : Shown(a_Text))
        text += c == '&'   ? "&amp;"
                : c == '<' ? "&lt;"
                : c == '>' ? "&gt;"
                : c == '"' ? "&quot;"
                           : std::string(1, c);
    return text;
}

std::string TabsExpanded(const std::string& a_Line) {
    std::string line;
    for (char c : a_Line)
        if (c == '\t')
            line.append(c_TabStop - Chars(line) % c_TabStop, ' ');
        else
            line += c;
    return line;
}

// Seconds between ticks: a round step that gives at most eight of them.
int TickStep(int a_LengthSecs) {
    static const int c_Steps[] = {1, 2, 5, 10, 15, 30, 60, 120, 300, 600};
    std::size_t i = 0;
    while (a_LengthSecs / c_Steps[i] > 8 && i + 1 < std::size(c_Steps))
        ++i;
    return c_Steps[i];
}
} // namespace

void CPlanSvg::Write(const CPlanChart& a_Chart, std::ostream& a_Out) {
    CPlanSvg svg(a_Chart);
    svg.Title();
    svg.Axis();
    svg.Bars();
    svg.Legend();
    svg.Lines();
    svg.Week();
    a_Out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          << "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " << c_Width << ' ' << svg.m_Y
          << "\" width=\"100%\" font-family=\"DejaVu Sans Mono, monospace\">\n"
          << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
          << svg.m_Body.str() << "</svg>\n";
}

void CPlanSvg::Title() {
    std::string title = "One interval: " + m_Chart.m_Start.ClockText() + " to " +
                        m_Chart.m_End.ClockText() + " (" + IntervalText(m_Chart.m_LengthSecs) + ")";
    Text(c_AxisLeft, 24, 16, title, " font-weight=\"bold\"");
    m_Y = 34;
}

// The axis across the top, its ticks labelled M:SS, and faint lines from them down the rows.
void CPlanSvg::Axis() {
    int axis = m_Y + 20,
        bottom = axis + 4 + int(std::max<std::size_t>(m_Chart.m_Bars.size(), 1)) * c_RowHeight;
    int step = TickStep(m_Chart.m_LengthSecs);
    for (int secs = 0; secs <= m_Chart.m_LengthSecs; secs += step) {
        std::string x = Num(X(float(secs)));
        m_Body << "<line x1=\"" << x << "\" y1=\"" << axis - 4 << "\" x2=\"" << x << "\" y2=\""
               << bottom << "\" stroke=\"#d0d0d0\"/>\n";
        Text(X(float(secs)), m_Y + 12, 12, IntervalText(secs), " text-anchor=\"middle\"");
    }
    m_Body << "<line x1=\"" << c_AxisLeft << "\" y1=\"" << axis << "\" x2=\"" << c_Right
           << "\" y2=\"" << axis << "\" stroke=\"#555555\"/>\n";
    m_Y = axis + 4;
}

void CPlanSvg::Bars() {
    for (const CPlanBar& bar : m_Chart.m_Bars)
        Bar(bar);
    if (!m_Chart.m_Bars.empty())
        return;
    Text(c_AxisLeft, m_Y + c_BarTop, c_LabelSize, "No chain plays in this interval.");
    m_Y += c_RowHeight;
}

// The bar covers the part of the chain that lies in the interval.
void CPlanSvg::Bar(const CPlanBar& a_Bar) {
    float length = float(m_Chart.m_LengthSecs);
    float left = X(std::clamp(a_Bar.m_Start, 0.0f, length));
    float right = X(std::clamp(a_Bar.m_End, 0.0f, length));
    if (right - left < c_ThinnestBar) {
        left = std::min(left, c_Right - c_ThinnestBar);
        right = left + c_ThinnestBar;
    }
    Rect(left, m_Y + c_BarTop, right - left, c_BarHeight,
         a_Bar.m_Clash ? c_ClashColour : c_PlaysColour);
    if (!a_Bar.m_AnchoredStart)
        KeyMark(X(a_Bar.m_Key), m_Y + c_BarTop);
    Label(a_Bar, left, right);
    m_Y += c_RowHeight;
}

// A triangle pointing down at a_X, a_Tip.
void CPlanSvg::KeyMark(float a_X, int a_Tip) {
    m_Body << "<path d=\"M" << Num(a_X - 6) << ' ' << a_Tip - 7 << "H" << Num(a_X + 6) << "L"
           << Num(a_X) << ' ' << a_Tip << "Z\" fill=\"" << Colour(c_KeyColour) << "\"/>\n";
}

// The key and the recordings, from the bar's start rightwards, or from its end leftwards when
// there is more room that way; shortened to the room there is.
void CPlanSvg::Label(const CPlanBar& a_Bar, float a_Left, float a_Right) {
    std::string text = CInterval::KeyText(a_Bar.m_Key) + " ";
    for (const std::string& name : a_Bar.m_Names)
        text += " " + Shortened(Shown(name), c_NameChars);
    float roomRight = float(c_Right) - a_Left, roomLeft = a_Right - float(c_AxisLeft);
    bool rightwards = Chars(text) <= Fitting(roomRight, c_LabelSize) || roomRight >= roomLeft;
    Text(rightwards ? a_Left : a_Right, m_Y + 15, c_LabelSize,
         Shortened(text, Fitting(rightwards ? roomRight : roomLeft, c_LabelSize)),
         rightwards ? " xml:space=\"preserve\"" : " xml:space=\"preserve\" text-anchor=\"end\"");
}

void CPlanSvg::Legend() {
    m_Y += 6;
    LegendEntry(c_PlaysColour, false, "plays as keyed");
    LegendEntry(c_ClashColour, false, "skipped or late: overlaps a chain, or longer than its key");
    LegendEntry(c_KeyColour, true, "the key of a chain that finishes at its key");
}

void CPlanSvg::LegendEntry(unsigned a_Colour, bool a_Mark, const std::string& a_Text) {
    if (a_Mark)
        KeyMark(float(c_AxisLeft + 7), m_Y + 13);
    else
        Rect(float(c_AxisLeft), m_Y + 3, 14, 10, a_Colour);
    Text(float(c_AxisLeft + 20), m_Y + 12, 12, a_Text);
    m_Y += 17;
}

// The announcements as plan prints them, the tabs set as columns.
void CPlanSvg::Lines() {
    m_Y += 12;
    Text(c_AxisLeft, m_Y + 14, 14, "Next announcements", " font-weight=\"bold\"");
    m_Y += 20;
    std::size_t shown = std::min(m_Chart.m_Lines.size(), c_MostLines);
    std::size_t fitting = Fitting(float(c_AxisWidth), 13);
    for (std::size_t i = 0; i < shown; ++i, m_Y += 18)
        Text(c_AxisLeft, m_Y + 13, 13, Shortened(Shown(TabsExpanded(m_Chart.m_Lines[i])), fitting),
             " xml:space=\"preserve\"");
    if (m_Chart.m_Lines.empty() || shown < m_Chart.m_Lines.size()) {
        Text(c_AxisLeft, m_Y + 13, 13,
             shown == 0 ? "None within two days."
                        : "\u2026 and " + std::to_string(m_Chart.m_Lines.size() - shown) + " more");
        m_Y += 18;
    }
    m_Y += 8;
}

// Seven rows of a day each, quiet hours shaded, and a lane for each chain with a tick where it
// starts.
void CPlanSvg::Week() {
    if (m_Chart.m_Week.empty())
        return;
    m_Y += 12;
    Text(c_AxisLeft, m_Y + 14, 14,
         "The week: " + m_Chart.m_Week.front().m_Midnight.DateTimeText().substr(0, 10) + " to " +
             m_Chart.m_Week.back().m_Midnight.DateTimeText().substr(0, 10),
         " font-weight=\"bold\"");
    m_Y += 22;
    for (int hour = 0; hour <= 24; hour += 6)
        Text(DayX(float(hour * 3600)), m_Y + 10, 11, std::to_string(hour) + ":00",
             " text-anchor=\"middle\"");
    m_Y += 14;
    for (const CPlanDay& day : m_Chart.m_Week)
        WeekDay(day);
    LegendEntry(c_QuietColour, false, "quiet hours");
    std::string lanes = "a chain's starts, one lane each in key order:";
    for (float key : m_Chart.m_WeekKeys)
        lanes += " " + CInterval::KeyText(key);
    if (m_Chart.m_ChainsLeftOut > 0)
        lanes += " (" + std::to_string(m_Chart.m_ChainsLeftOut) + " more not drawn)";
    LegendEntry(c_StartColour, false, Shortened(lanes, Fitting(float(c_AxisWidth) - 20, 12)));
    m_Y += 8;
}

void CPlanSvg::WeekDay(const CPlanDay& a_Day) {
    constexpr int c_Lane = 4;
    std::string date = a_Day.m_Midnight.DateTimeText().substr(0, 10);
    char weekday[8];
    std::time_t secs = std::time_t(a_Day.m_Midnight.Seconds());
    std::tm fields{};
    localtime_r(&secs, &fields);
    std::strftime(weekday, sizeof weekday, "%a", &fields);
    Text(c_AxisLeft, m_Y + 10, 11, std::string(weekday) + " " + date);
    m_Y += 13;
    int height = std::max<int>(1, int(a_Day.m_Plays.size())) * c_Lane + 2;
    Rect(float(c_AxisLeft), m_Y, float(c_AxisWidth), height, 0xf2f2f2);
    for (const auto& [from, to] : a_Day.m_Quiet)
        Rect(DayX(from), m_Y, DayX(to) - DayX(from), height, c_QuietColour);
    for (std::size_t lane = 0; lane < a_Day.m_Plays.size(); ++lane)
        for (float start : a_Day.m_Plays[lane])
            Rect(DayX(start), m_Y + 1 + int(lane) * c_Lane, 1, c_Lane - 1, c_StartColour);
    m_Y += height + 6;
}

float CPlanSvg::DayX(float a_Secs) const {
    return float(c_AxisLeft) + std::clamp(a_Secs / 86400.0f, 0.0f, 1.0f) * float(c_AxisWidth);
}

float CPlanSvg::X(float a_Secs) const {
    return float(c_AxisLeft) + a_Secs / float(m_Chart.m_LengthSecs) * float(c_AxisWidth);
}

void CPlanSvg::Text(float a_X, int a_Y, int a_Size, const std::string& a_Text,
                    const char* a_Extra) {
    m_Body << "<text x=\"" << Num(a_X) << "\" y=\"" << a_Y << "\" font-size=\"" << a_Size
           << "\" fill=\"#1a1a1a\"" << a_Extra << '>' << Escaped(a_Text) << "</text>\n";
}

void CPlanSvg::Rect(float a_X, int a_Y, float a_Width, int a_Height, unsigned a_Colour) {
    m_Body << "<rect x=\"" << Num(a_X) << "\" y=\"" << a_Y << "\" width=\"" << Num(a_Width)
           << "\" height=\"" << a_Height << "\" fill=\"" << Colour(a_Colour) << "\"/>\n";
}
