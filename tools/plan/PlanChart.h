#ifndef QUILLANE_PLANCHART_H
#define QUILLANE_PLANCHART_H

#include "TimeVal.h"

#include <string>
#include <utility>
#include <vector>

// One chain as plan --svg draws it. Times are seconds from the start of the interval drawn.
struct CPlanBar {
    float m_Key = 0;
    bool m_AnchoredStart = true; // false: it finishes at its key
    float m_Start = 0;           // may lie before the interval, or end after it
    float m_End = 0;
    bool m_BeforeStart = false; // starts before its own interval: longer than its key, skipped
    bool m_Clash = false;       // skipped or late: overlaps a neighbour, or longer than its key
    std::vector<std::string> m_Names; // what is heard (CHeard::Text), in play order
};

// One day of the week plan --svg draws, in seconds from its midnight by the local clock.
struct CPlanDay {
    CTimeVal m_Midnight{timeval{0, 0}};
    std::vector<std::pair<float, float>> m_Quiet; // quiet stretches, from and to
    std::vector<std::vector<float>> m_Plays;      // for each chain drawn, when it starts
};

// One interval's chains and the announcements plan prints from the same moment.
struct CPlanChart {
    CTimeVal m_Start{timeval{0, 0}};
    CTimeVal m_End{timeval{0, 0}};
    int m_LengthSecs = 1;
    std::vector<CPlanBar> m_Bars;     // in key order
    std::vector<std::string> m_Lines; // as plan prints them, without the line ends
    std::vector<CPlanDay> m_Week;     // seven days from the start's
    std::vector<float> m_WeekKeys;    // the chains drawn in the week, in key order
    std::size_t m_ChainsLeftOut = 0;  // chains beyond those, not drawn there
};

#endif
