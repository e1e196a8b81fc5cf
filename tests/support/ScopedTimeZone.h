#ifndef QUILLANE_SCOPEDTIMEZONE_H
#define QUILLANE_SCOPEDTIMEZONE_H

#include "ProcessSupport.h"

#include <ctime>
#include <optional>

// Pins the local time zone (a POSIX TZ value) and restores the previous one afterwards.
class CScopedTimeZone {
public:
    explicit CScopedTimeZone(const char* a_Zone) {
        m_Env.emplace("TZ", a_Zone);
        tzset();
    }
    ~CScopedTimeZone() {
        m_Env.reset();
        tzset();
    }
    CScopedTimeZone(const CScopedTimeZone&) = delete;
    CScopedTimeZone& operator=(const CScopedTimeZone&) = delete;

private:
    std::optional<CScopedEnv> m_Env;
};

#endif
