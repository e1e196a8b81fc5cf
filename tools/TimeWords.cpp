#include "TimeWords.h"

#include "TimeRecord.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

const char* const CTimeWords::c_TimeIs = "time-is";

namespace {
const char* const c_Ones[] = {"zero",    "one",     "two",       "three",    "four",
                              "five",    "six",     "seven",     "eight",    "nine",
                              "ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                              "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
const char* const c_Tens[] = {"", "", "twenty", "thirty", "forty", "fifty"};

std::string Number(int a_Value) {
    if (a_Value < 20)
        return c_Ones[a_Value];
    std::string tens = c_Tens[a_Value / 10];
    return a_Value % 10 == 0 ? tens : tens + "-" + c_Ones[a_Value % 10];
}

// cdnum7 "seven", cdnum07 "oh seven", cdnum00 "zero", cdnum35 "thirty-five".
std::string NumberWords(const std::string& a_Digits) {
    int value = std::stoi(a_Digits);
    if (a_Digits.size() == 2 && a_Digits[0] == '0' && value != 0)
        return std::string("oh ") + c_Ones[value];
    return Number(value);
}

// cdhour00 "midnight", cdhour07 "oh seven hundred", cdhour14 "fourteen hundred".
std::string HourWords(int a_Hour) {
    if (a_Hour == 0)
        return "midnight";
    return (a_Hour < 10 ? std::string("oh ") : std::string()) + Number(a_Hour) + " hundred";
}

std::string Trimmed(const std::string& a_Text) {
    std::size_t first = a_Text.find_first_not_of(" \t");
    std::size_t last = a_Text.find_last_not_of(" \t");
    return first == std::string::npos ? "" : a_Text.substr(first, last - first + 1);
}

std::runtime_error LineError(const std::string& a_Where, const std::string& a_What) {
    return std::runtime_error(a_Where + ": " + a_What);
}
} // namespace

CTimeWords CTimeWords::English() {
    CTimeWords words;
    for (const std::string& name : CTimeRecord::AllTitles())
        words.m_Words[name] = name.compare(0, 6, "cdhour") == 0
                                  ? HourWords(std::stoi(name.substr(6)))
                                  : NumberWords(name.substr(5));
    words.m_Words[c_TimeIs] = "the time is";
    return words;
}

CTimeWords CTimeWords::Load(const std::string& a_Path) {
    std::ifstream in(a_Path);
    if (!in)
        throw std::runtime_error("cannot read the words file " + a_Path + ": " +
                                 std::strerror(errno));
    CTimeWords words;
    std::map<std::string, std::string> seen; // name -> where it was given
    std::string line;
    for (int number = 1; std::getline(in, line); ++number)
        words.Take(line, a_Path + ":" + std::to_string(number), seen);
    words.CheckComplete(a_Path);
    if (words.m_Words.count(c_TimeIs) == 0)
        words.m_Words[c_TimeIs] = English().For(c_TimeIs);
    return words;
}

void CTimeWords::Take(const std::string& a_Line, const std::string& a_Where,
                      std::map<std::string, std::string>& a_Seen) {
    static const CTimeWords c_Known = English();
    std::string line = a_Line;
    if (!line.empty() && line.back() == '\r') // written on Windows
        line.pop_back();
    if (Trimmed(line).empty() || Trimmed(line)[0] == '#')
        return;
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos)
        throw LineError(a_Where, "no tab between the name and the words; write the name, one "
                                 "tab, then the words");
    std::string name = Trimmed(line.substr(0, tab)), text = Trimmed(line.substr(tab + 1));
    if (c_Known.m_Words.count(name) == 0)
        throw LineError(a_Where, "\"" + name +
                                     "\" is not a time sound name (cdhour00 to "
                                     "cdhour23, cdnum1 to cdnum9, cdnum00 to cdnum59, or time-is)");
    if (a_Seen.count(name))
        throw LineError(a_Where, name + " is given a second time (first at " + a_Seen[name] + ")");
    if (text.empty())
        throw LineError(a_Where, "no words after the tab for " + name);
    a_Seen[name] = a_Where;
    m_Words[name] = text;
}

void CTimeWords::CheckComplete(const std::string& a_Path) const {
    std::string missing;
    int count = 0;
    for (const std::string& name : CTimeRecord::AllTitles())
        if (m_Words.count(name) == 0 && ++count <= 8)
            missing += (missing.empty() ? "" : ", ") + name;
    if (count > 8)
        missing += " and " + std::to_string(count - 8) + " more";
    if (count > 0)
        throw std::runtime_error(a_Path + " has no words for " + missing +
                                 ": every time sound needs a line");
}
