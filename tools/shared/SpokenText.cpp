#include "shared/SpokenText.h"

#include "SoundLibrary.h"
#include "shared/ToolText.h"

#include <cstdio>

namespace {
using SlotIt = std::list<CSlot>::const_iterator;

// The number a time sound's name ends in, of a_MinDigits or 2 digits; -1 when it has none.
int Number(const std::string& a_Name, const char* a_Prefix, std::size_t a_MinDigits) {
    std::string prefix = a_Prefix;
    std::string digits =
        a_Name.compare(0, prefix.size(), prefix) == 0 ? a_Name.substr(prefix.size()) : "";
    if (digits.size() < a_MinDigits || digits.size() > 2 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::stoi(digits);
}

std::string Marked(const CSlot& a_Slot) {
    return Printable(a_Slot.m_SoundName) + (a_Slot.m_FileName.empty() ? " (missing)" : "");
}

// The time that the time sounds at a_At speak (cdhour14, or cdnum14 then cdnum35), moving
// a_At past them; empty when they speak none.
std::string Time(SlotIt& a_At, SlotIt a_End) {
    int hour = Number(a_At->m_SoundName, "cdhour", 2), minute = 0;
    SlotIt next = std::next(a_At);
    if (hour < 0 && next != a_End) {
        hour = Number(a_At->m_SoundName, "cdnum", 1);
        minute = Number(next->m_SoundName, "cdnum", 2);
        ++next;
    }
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return "";
    std::string missing;
    for (SlotIt slot = a_At; slot != next; ++slot)
        if (slot->m_FileName.empty())
            missing += (missing.empty() ? " (" : ", ") + slot->m_SoundName;
    char text[32];
    std::snprintf(text, sizeof text, "the time %02d:%02d", hour, minute);
    a_At = next;
    return text + (missing.empty() ? "" : missing + " missing)");
}
} // namespace

std::string SpokenText(const std::list<CSlot>& a_Slots) {
    std::string text;
    for (SlotIt at = a_Slots.begin(); at != a_Slots.end();) {
        std::string said =
            CSoundLibrary::IsTimeFile(at->m_SoundName) ? Time(at, a_Slots.end()) : "";
        if (said.empty())
            said = Marked(*at++);
        text += (text.empty() ? "" : ", ") + said;
    }
    return text;
}
