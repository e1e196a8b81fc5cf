#ifndef QUILLANE_SCHEDULEPROBE_H
#define QUILLANE_SCHEDULEPROBE_H

#include "Schedule.h"

#include <string>

// Reaches the element scanner of a schedule that holds a_Text as its file's contents.
class CScheduleProbe {
public:
    explicit CScheduleProbe(std::string a_Text) : m_Schedule("/nonexistent") {
        m_Schedule.SetText(std::move(a_Text));
    }

    std::size_t Pos(std::size_t a_Pos, const std::string& a_Name) const {
        return m_Schedule.GetElementPos(a_Pos, a_Name);
    }
    std::size_t EndPos(std::size_t a_Pos, const std::string& a_Name) const {
        return m_Schedule.GetElementEndPos(a_Pos, a_Name);
    }
    std::string Val(std::size_t a_Pos, const std::string& a_Name) const {
        return m_Schedule.GetElementVal(a_Pos, a_Name);
    }
    int Int(std::size_t a_Pos, const std::string& a_Name) const {
        return m_Schedule.GetElementValInt(a_Pos, a_Name);
    }
    bool Bool(std::size_t a_Pos, const std::string& a_Name) const {
        return m_Schedule.GetElementValBool(a_Pos, a_Name);
    }
    float Time(std::size_t a_Pos, const std::string& a_Name) const {
        return m_Schedule.GetElementValTimeVal(a_Pos, a_Name);
    }

private:
    CSchedule m_Schedule;
};

#endif
