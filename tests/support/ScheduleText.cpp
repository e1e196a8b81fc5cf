#include "ScheduleText.h"

std::string El(const std::string& a_Name, const std::string& a_Value) {
    return "<" + a_Name + ">" + a_Value + "</" + a_Name + ">";
}

std::string Rec(const std::string& a_Name, const std::string& a_Type, const std::string& a_Timing,
                bool a_After, const std::string& a_Finish, const std::string& a_Offset) {
    return "<Record>" + El("m_Name", a_Name) + El("Type", a_Type) + El("m_TimingTime", a_Timing) +
           El("m_FinishAtTime", a_Finish) + El("m_AfterMsg", a_After ? "1" : "0") +
           El("m_OffsetTime", a_Offset) + "</Record>\n";
}

std::string ScheduleFile(const std::string& a_Records, const std::string& a_Frequency) {
    return El("m_Frequency", a_Frequency) + "\n<Records>\n" + a_Records + "</Records>\n";
}
