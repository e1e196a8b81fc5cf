#include "plan/PlanSvg.h"
#include "CtlSupport.h"
#include "Schedule.h"
#include "SchedulerCases.h"
#include "plan/PlanPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {
constexpr std::size_t c_Width = CPlanSvg::c_Width;

// Where a bar should be seen: seconds into the interval, its colour, the mark of its key, its
// label.
struct CSeen {
    float m_Start, m_End;
    bool m_Clash, m_FinishesAtKey;
    std::string m_Label;
};
// plan's clock, noting what it plays as the board's virtual clock in the tests does.
class CNotingPlan : public CPlanPlatform {
public:
    using CPlanPlatform::CPlanPlatform;
    EPlayEnd Play(const CPlayback& a_Playback) override {
        m_Playbacks.emplace_back(Now(), a_Playback);
        return CPlanPlatform::Play(a_Playback);
    }
    std::vector<std::pair<CTimeVal, CPlayback>> m_Playbacks;
};

// Where one is: its top row, its first pixel column and the one past its last, its colour.
struct CFound {
    std::size_t m_Top;
    int m_Left, m_Right;
    unsigned m_Colour;
};

// The picture as rsvg-convert draws it at its natural width, one 0xRRGGBB per pixel by rows.
std::vector<unsigned> Rendered(const std::string& a_Svg) {
    std::string command = "rsvg-convert -w " + std::to_string(c_Width) + " -o " + a_Svg + ".png " +
                          a_Svg + " && pngtopnm " + a_Svg + ".png >" + a_Svg + ".ppm";
    std::vector<unsigned> pixels;
    if (std::system(command.c_str()) != 0)
        return pixels;
    std::ifstream ppm(a_Svg + ".ppm", std::ios::binary);
    int width = 0, height = 0, depth = 0;
    ppm >> command >> width >> height >> depth;
    ppm.get();
    for (unsigned char rgb[3]; ppm.read(reinterpret_cast<char*>(rgb), 3);)
        pixels.push_back(unsigned(rgb[0] << 16 | rgb[1] << 8 | rgb[2]));
    return pixels;
}

// Top down, each run of pixel rows that show a bar's colours.
std::vector<CFound> Bars(const std::vector<unsigned>& a_Pixels) {
    std::vector<CFound> bars;
    bool previous = false;
    for (std::size_t y = 0; (y + 1) * c_Width <= a_Pixels.size(); ++y) {
        CFound row{y, -1, -1, 0};
        for (std::size_t x = 0; x < c_Width; ++x)
            if (unsigned pixel = a_Pixels[y * c_Width + x];
                pixel == CPlanSvg::c_PlaysColour || pixel == CPlanSvg::c_ClashColour)
                row = {y, row.m_Left < 0 ? int(x) : row.m_Left, int(x) + 1, pixel};
        if (row.m_Left >= 0 && !previous)
            bars.push_back(row);
        previous = row.m_Left >= 0;
    }
    return bars;
}
} // namespace

// plan plays every row of the scheduler's table as the board does, quiet hours and all (save the
// rows that step the wall clock, which plan's never does).
TEST(PlanSvgTest, PlanPlaysTheSchedulersTableAsTheBoardDoes) {
    CScopedEnv zone("TZ", "Europe/Berlin");
    CSchedulerStick stick;
    for (const CSchedulerCase& c : SchedulerCases()) {
        if (!c.m_Steps.empty())
            continue;
        std::ostringstream lines, out;
        CNotingPlan platform(c.m_Wall, lines);
        CSchedule schedule(stick.Path(), platform, out);
        ASSERT_TRUE(PlayCase(schedule, c)) << c.m_Plays;
        EXPECT_EQ(PlaysText(out.str(), platform.m_Playbacks, platform.Now()), c.m_Plays);
    }
}

// Each chain's bar lies from its start to its end on the interval's axis, in the warning colour
// when it will not play as keyed; a chain that finishes at its key has the key marked above it.
// Faint lines mark round times of the axis.
TEST(PlanSvgTest, BarsStandWhereTheChainsPlay) {
    CScopedEnv zone("TZ", "UTC0");
    const std::string odd =
        "x<&\"\x01\xEF\xBF\xBE-\u00e9\u00e9-far-too-long-for-any-label-in-a-row";
    // clang-format off
    // The schedule, its interval, the start, the interval's length, the seconds between faint lines, the bars.
    const std::tuple<std::string, const char*, const char*, float, float, std::vector<CSeen>> cases[] = {
        {Rec("a", "Custom", "0:30.0") + Rec("b", "Custom", "2:00.0", false, "1"), "5:00", "14:30:00", 300, 60,
         {{30, 60, 0, 0, "0:30.0  a"}, {100, 120, 0, 1, "2:00.0  b"}}},
        {Rec("a", "Custom", "1:00.0") + Rec("b", "Custom", "1:30.0") + Rec("c", "Custom", "3:00.0") +
         Rec("b", "Custom", "3:30.5"), "5:00", "14:33:00", 300, 60, // a ends as b starts: no overlap
         {{60, 90, 0, 0, "1:00.0  a"}, {90, 110, 0, 0, "1:30.0  b"}, {180, 220, 1, 0, "3:00.0  c"},
          {210.5, 230.5, 1, 0, "3:30.5  b"}}},
        {Rec("b", "Custom", "0:10.0") + Rec("c", "Custom", "4:40.0"), "5:00", "14:30:00", 300, 60,
         {{10, 30, 1, 0, "0:10.0  b"}, {280, 300, 1, 0, "4:40.0  c"}}}, // c runs into the next interval's b
        {Rec("c", "Custom", "0:20.0", false, "1"), "5:00", "14:30:00", 300, 60, {{0, 20, 1, 1, "0:20.0  c"}}},
        {Rec("a", "Custom", "10:00.0") + Rec("b", "Custom", "20:00.0"), "45:00", "14:50:00", 900, 120,
         {{600, 630, 0, 0, "10:00.0  a"}}}, // 14:45-15:00 holds no key beyond 15:00.0
        {Rec(odd, "Custom", "0:00.0") + Rec("gone", "Custom", "", true), "5:00", "14:30:00", 300, 60,
         {{0, 30, 0, 0, "0:00.0  x&lt;&amp;&quot;\\x01\\xEF\\xBF\\xBE-\u00e9\u00e9\u2026 !gone"}}},
        {Rec("gone", "Custom", "4:00.0"), "5:00", "14:30:00", 300, 60, {{240, 241, 0, 0, "4:00.0  !gone"}}},
        {Rec("t", "Timed", "4:00.0", false, "0", "-1"), "5:00", "14:30:00", 300, 60, {{240, 241, 0, 0, "4:00.0  14:34"}}},
    };
    // clang-format on
    for (const auto& [records, frequency, at, length, tick, bars] : cases) {
        CTempDir dir;
        WriteTimeSounds(dir, "show/times", 0.5);
        for (const std::string name : {"a", "b", "c", odd.c_str()})
            dir.WriteWav("show/" + name + ".wav", name == "b" ? 20 : name == "c" ? 40 : 30);
        dir.Write("show/forVrex.xml", ScheduleFile(records, frequency));
        const std::string svg = dir.Path() + "/plan.svg";
        CCtlResult result = RunCtl({"plan", dir.Path(), "--at", at, "--count", "3", "--svg", svg});
        std::istringstream lines(result.m_Out);
        for (std::string line; std::getline(lines, line);) // the start times plan prints
            EXPECT_NE(ReadFile(svg).find(line.substr(0, 12)), std::string::npos) << line;
        std::vector<unsigned> pixels = Rendered(svg);
        std::vector<CFound> found = Bars(pixels);
        ASSERT_EQ(found.size(), bars.size() + 2) << records; // and the legend's two colours
        auto x = [&](float a_Secs) {
            return float(CPlanSvg::c_AxisLeft) + a_Secs / length * CPlanSvg::c_AxisWidth;
        };
        for (float secs = 0; secs <= length; secs += tick) { // in the row above the first bar
            std::size_t row = (found[0].m_Top - 1) * c_Width;
            EXPECT_NE(pixels[row + std::size_t(x(secs))], 0xffffffu) << records << secs;
            EXPECT_TRUE(secs + tick / 2 >= length || // and none between them
                        pixels[row + std::size_t(x(secs + tick / 2))] == 0xffffffu)
                << records << secs;
        }
        for (std::size_t i = 0; i < bars.size(); ++i) {
            EXPECT_NE(ReadFile(svg).find(">" + bars[i].m_Label + "<"), std::string::npos)
                << bars[i].m_Label;
            EXPECT_NEAR(found[i].m_Left, x(bars[i].m_Start), 1.5) << records;
            EXPECT_NEAR(found[i].m_Right, x(bars[i].m_End), 1.5) << records;
            EXPECT_EQ(found[i].m_Colour,
                      bars[i].m_Clash ? CPlanSvg::c_ClashColour : CPlanSvg::c_PlaysColour);
            auto key = std::size_t(x(bars[i].m_FinishesAtKey ? bars[i].m_End : bars[i].m_Start));
            EXPECT_EQ(pixels[(found[i].m_Top - 3) * c_Width + key] == CPlanSvg::c_KeyColour,
                      bars[i].m_FinishesAtKey);
        }
    }
}
