#include "shared/ToolText.h"

#include <cstdio>
#include <ctime>

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
} // namespace

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
