#include "shared/SpokenText.h"

#include "shared/ToolText.h"

namespace {
std::string PartText(const CHeard& a_Part) {
    if (!a_Part.m_Time.empty())
        return "the time " + a_Part.m_Time +
               (a_Part.m_Missing.empty()
                    ? ""
                    : " (" + Printable(Joined(a_Part.m_Missing, ", ")) + " missing)");
    return Printable(Joined(a_Part.m_Names, ", ")) + (a_Part.m_Missing.empty() ? "" : " (missing)");
}
} // namespace

std::string SpokenText(const std::list<CSlot>& a_Slots) {
    std::string text;
    for (const CHeard& part : Heard(a_Slots))
        text += (text.empty() ? "" : ", ") + PartText(part);
    return text;
}
