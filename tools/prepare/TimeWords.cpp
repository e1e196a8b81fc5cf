#include "prepare/TimeWords.h"

#include "ElementScanner.h"
#include "TimeRecord.h"
#include "shared/Failure.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

namespace {
const char* const c_ByteOrderMark = "\xEF\xBB\xBF";
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

// A name a spoken time asks for, or the one spoken before it.
bool IsTimeSoundName(const std::string& a_Name) {
    static const std::vector<std::string> c_Names = CTimeRecord::AllTitles();
    return a_Name == CTimeWords::c_TimeIs ||
           std::find(c_Names.begin(), c_Names.end(), a_Name) != c_Names.end();
}

// Whether a line's name and words can be taken; a_Seen tells where each name was given.
bool Acceptable(const std::string& a_Name, const std::string& a_Text,
                const std::map<std::string, std::string>& a_Seen, std::string& a_Why) {
    if (!IsTimeSoundName(a_Name))
        return Fail(a_Why, "\"" + a_Name +
                               "\" is not a time sound name (cdhour00 to cdhour23, cdnum1 to "
                               "cdnum9, cdnum00 to cdnum59, or time-is)");
    if (a_Seen.count(a_Name))
        return Fail(a_Why, a_Name + " is given a second time (first at " + a_Seen.at(a_Name) + ")");
    if (a_Text.empty())
        return Fail(a_Why, "no words after the tab for " + a_Name);
    return true;
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

std::optional<CTimeWords> CTimeWords::Load(const std::string& a_Path, std::string& a_Why) {
    std::ifstream in(a_Path);
    if (!in) {
        a_Why = "cannot read the words file " + a_Path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    CTimeWords words;
    if (!words.TakeAll(in, a_Path, a_Why) || !words.CheckComplete(a_Path, a_Why))
        return std::nullopt;
    words.m_TimeIsGiven = words.m_Words.count(c_TimeIs) > 0;
    if (!words.m_TimeIsGiven)
        words.m_Words[c_TimeIs] = English().For(c_TimeIs);
    return words;
}

namespace {
// What a group of names is for, written above its first name in the template.
const std::map<std::string, const char*> c_GroupNotes = {
    {CTimeWords::c_TimeIs, "# Spoken before the time: \"the time is\" fourteen thirty-five.\n"},
    {"cdhour00", "# A full hour on its own: 14:00 is cdhour14 alone.\n"},
    {"cdnum1", "# The hours 1 to 9 before the minutes: 7:05 is cdnum7 then cdnum05.\n"},
    {"cdnum00",
     "# cdnum00 is the hour 0 before the minutes (0:35 is cdnum00 cdnum35); cdnum01 to\n"
     "# cdnum59 are the minutes. cdnum10 to cdnum23 serve both as hours and as minutes: 14:35\n"
     "# is cdnum14 cdnum35 and 12:14 is cdnum12 cdnum14, so give them words that fit both.\n"}};
} // namespace

void CTimeWords::WriteTemplate(std::ostream& a_Out) const {
    a_Out << "# The words quillanectl voice speaks for each time sound: the sound's name, one "
             "tab,\n# then the words. Translate the words, keep the names and the tabs, save "
             "the file\n# as UTF-8 and give it with: quillanectl voice --voice LANGUAGE --words "
             "FILE DIR\n";
    std::vector<std::string> names = CTimeRecord::AllTitles();
    names.insert(names.begin(), c_TimeIs);
    for (const std::string& name : names) {
        auto note = c_GroupNotes.find(name);
        if (note != c_GroupNotes.end())
            a_Out << "\n" << note->second;
        a_Out << name << '\t' << For(name) << '\n';
    }
}

bool CTimeWords::TakeAll(std::istream& a_In, const std::string& a_Path, std::string& a_Why) {
    std::map<std::string, std::string> seen; // name -> where it was given
    std::string line;
    for (int number = 1; std::getline(a_In, line); ++number) {
        // Editors on Windows begin a UTF-8 file with a byte-order mark, which nobody sees.
        if (number == 1 && line.rfind(c_ByteOrderMark, 0) == 0)
            line.erase(0, std::strlen(c_ByteOrderMark));
        if (!Take(line, a_Path + ":" + std::to_string(number), seen, a_Why))
            return false;
    }
    return true;
}

bool CTimeWords::Take(const std::string& a_Line, const std::string& a_Where,
                      std::map<std::string, std::string>& a_Seen, std::string& a_Why) {
    std::string line = a_Line;
    if (!line.empty() && line.back() == '\r') // written on Windows
        line.pop_back();
    if (CElementScanner::Trimmed(line).empty() || CElementScanner::Trimmed(line)[0] == '#')
        return true;
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos)
        return Fail(a_Why, a_Where + ": no tab between the name and the words; write the name, "
                                     "one tab, then the words");
    std::string name = CElementScanner::Trimmed(line.substr(0, tab)),
                text = CElementScanner::Trimmed(line.substr(tab + 1));
    if (!Acceptable(name, text, a_Seen, a_Why))
        return Fail(a_Why, a_Where + ": " + a_Why);
    a_Seen[name] = a_Where;
    m_Words[name] = text;
    return true;
}

bool CTimeWords::CheckComplete(const std::string& a_Path, std::string& a_Why) const {
    std::string missing;
    int count = 0;
    for (const std::string& name : CTimeRecord::AllTitles())
        if (m_Words.count(name) == 0 && ++count <= 8)
            missing += (missing.empty() ? "" : ", ") + name;
    if (count > 8)
        missing += " and " + std::to_string(count - 8) + " more";
    if (count > 0)
        return Fail(a_Why,
                    a_Path + " has no words for " + missing + ": every time sound needs a line");
    return true;
}
