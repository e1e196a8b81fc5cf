#ifndef QUILLANE_PLANCHART_H
#define QUILLANE_PLANCHART_H

#include "TimeVal.h"

#include <string>
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

// One interval's chains and the announcements plan prints from the same moment.
struct CPlanChart {
    CTimeVal m_Start{timeval{0, 0}};
    CTimeVal m_End{timeval{0, 0}};
    int m_LengthSecs = 1;
    std::vector<CPlanBar> m_Bars;     // in key order
    std::vector<std::string> m_Lines; // as plan prints them, without the line ends
};

#endif
