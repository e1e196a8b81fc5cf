#include "shared/ToolText.h"

#include "TimeRecord.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

namespace {
std::string Hex(unsigned char a_Byte) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\x%02X", a_Byte);
    return buf;
}

// Length of the well-formed UTF-8 sequence at a_Pos, or 0; a_Code receives its code point.
std::size_t Utf8Length(const std::string& a_Text, std::size_t a_Pos, unsigned long& a_Code) {
    auto lead = static_cast<unsigned char>(a_Text[a_Pos]);
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || a_Pos + length > a_Text.size())
        return 0;
    a_Code = lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        auto next = static_cast<unsigned char>(a_Text[a_Pos + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        a_Code = (a_Code << 6) | (next & 0x3F);
    }
    static const unsigned long c_Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    bool overlong = a_Code < c_Smallest[length];
    bool surrogate = a_Code >= 0xD800 && a_Code <= 0xDFFF;
    return overlong || surrogate || a_Code > 0x10FFFF ? 0 : length;
}
// Each spoken time's sound names, joined by blanks, and the minute of the day it says.
const std::map<std::string, int>& SpokenMinutes() {
    static const std::map<std::string, int> c_Minutes = [] {
        std::map<std::string, int> minutes;
        CTimeVal any(timeval{0, 0});
        int base = any.Hour() * 60 + any.Min();
        for (int minute = 0; minute < 24 * 60; ++minute) {
            std::string joined;
            for (const std::string& title : CTimeRecord("", minute - base).TitlesForTime(any))
                joined += (joined.empty() ? "" : " ") + title;
            minutes.emplace(joined, minute);
        }
        return minutes;
    }();
    return c_Minutes;
}
} // namespace

std::string CHeard::Text() const {
    if (!m_Time.empty() && m_Missing.empty())
        return m_Time;
    std::string text;
    for (const std::string& name : m_Names)
        text += (text.empty() ? "" : " ") +
                std::string(std::count(m_Missing.begin(), m_Missing.end(), name) ? "!" : "") + name;
    return text;
}

std::string Joined(const std::vector<std::string>& a_Parts, const std::string& a_Between) {
    std::string joined;
    for (const std::string& part : a_Parts)
        joined += (joined.empty() ? "" : a_Between) + part;
    return joined;
}

int SpokenMinute(const std::vector<std::string>& a_Names) {
    auto said = SpokenMinutes().find(Joined(a_Names, " "));
    return said == SpokenMinutes().end() ? -1 : said->second;
}

std::string MinuteText(int a_Minute) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", a_Minute / 60, a_Minute % 60);
    return text;
}

std::vector<CHeard> Heard(const std::list<CSlot>& a_Slots) {
    std::vector<std::string> names;
    for (const CSlot& slot : a_Slots)
        names.push_back(slot.m_SoundName);
    std::vector<CHeard> heard;
    auto slot = a_Slots.begin();
    for (std::size_t i = 0; i < names.size();) {
        // A spoken time is two time sounds, cdnum14 cdnum35, or one, cdhour14.
        std::size_t length = 2;
        int minute = -1;
        for (; length > 0 && minute < 0; --length)
            if (i + length <= names.size())
                minute = SpokenMinute({names.begin() + long(i), names.begin() + long(i + length)});
        length = minute < 0 ? 1 : length + 1;
        CHeard part;
        for (std::size_t end = i + length; i < end; ++i, ++slot) {
            part.m_Names.push_back(slot->m_SoundName);
            if (slot->m_FileName.empty())
                part.m_Missing.push_back(slot->m_SoundName);
        }
        part.m_Time = minute < 0 ? "" : MinuteText(minute);
        heard.push_back(part);
    }
    return heard;
}

std::string HeardText(const std::list<CSlot>& a_Slots) {
    std::string text;
    for (const CHeard& part : Heard(a_Slots))
        text += (text.empty() ? "" : " ") + part.Text();
    return text;
}

std::string DurationText(float a_Secs) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f s", double(a_Secs));
    return buf;
}

std::string IntervalText(int a_Secs) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%02d", a_Secs / 60, a_Secs % 60);
    return buf;
}

std::string Printable(const std::string& a_Text) {
    std::string out;
    for (std::size_t pos = 0; pos < a_Text.size();) {
        auto byte = static_cast<unsigned char>(a_Text[pos]);
        unsigned long code = 0;
        std::size_t length = byte < 0x80 ? 1 : Utf8Length(a_Text, pos, code);
        bool control = byte < 0x20 || byte == 0x7F || (length == 2 && code < 0xA0);
        if (length == 0 || control) {
            out += Hex(byte);
            length = 1;
        } else {
            out.append(a_Text, pos, length);
        }
        pos += length;
    }
    return out;
}

bool IsUtf8(const std::string& a_Text) {
    unsigned long code = 0;
    for (std::size_t pos = 0, length = 0; pos < a_Text.size(); pos += length) {
        length = static_cast<unsigned char>(a_Text[pos]) < 0x80 ? 1 : Utf8Length(a_Text, pos, code);
        if (length == 0)
            return false;
    }
    return true;
}

std::string Latin1AsUtf8(const std::string& a_Text) {
    std::string out;
    for (char c : a_Text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | byte >> 6);
            out += char(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::size_t EditDistance(const std::string& a_From, const std::string& a_To) {
    std::vector<std::size_t> row(a_To.size() + 1);
    for (std::size_t j = 0; j < row.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a_From.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= a_To.size(); ++j) {
            std::size_t above = row[j];
            row[j] = std::min(
                {row[j] + 1, row[j - 1] + 1, diagonal + (a_From[i - 1] == a_To[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

CTimeVal TodayAt(const CTimeVal& a_Day, int a_Hour, int a_Min, int a_Sec) {
    std::time_t secs = std::time_t(a_Day.Seconds());
    std::tm fields{};
    localtime_r(&secs, &fields);
    fields.tm_hour = a_Hour;
    fields.tm_min = a_Min;
    fields.tm_sec = a_Sec;
    fields.tm_isdst = -1;
    return CTimeVal(timeval{std::mktime(&fields), 0});
}

std::string ImportName(const std::string& a_File) {
    std::size_t slash = a_File.find_last_of('/');
    std::string base = slash == std::string::npos ? a_File : a_File.substr(slash + 1);
    std::size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

std::string DirOf(const std::string& a_Path) {
    std::size_t slash = a_Path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : a_Path.substr(0, slash);
}
