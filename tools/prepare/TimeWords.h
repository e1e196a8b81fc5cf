#ifndef QUILLANE_TIMEWORDS_H
#define QUILLANE_TIMEWORDS_H

#include "shared/StarterSchedule.h"

#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>

// The words spoken for each time sound, and for the "the time is" before a spoken time.
class CTimeWords {
public:
    // The name of the recording spoken before the time.
    static constexpr const char* c_TimeIs = CStarterSchedule::c_TimeIs;

    // English, built in: cdnum14 "fourteen", cdnum05 "oh five", cdhour14 "fourteen hundred".
    static CTimeWords English();
    // One "name<TAB>words" line per time sound (time-is may be given too; it defaults to the
    // English words); blank lines and lines starting with # are skipped. Nothing, with a_Why
    // naming the line (FILE:LINE) or the names missing, when the file cannot be used.
    static std::optional<CTimeWords> Load(const std::string& a_Path, std::string& a_Why);

    // The words for a name, from CTimeRecord::AllTitles() or c_TimeIs.
    const std::string& For(const std::string& a_Name) const { return m_Words.at(a_Name); }
    // Whether the words of c_TimeIs were given, not taken from English (which voice keeps).
    bool TimeIsGiven() const { return m_TimeIsGiven; }
    // Every name and its words in the form Load reads, with comments on how to translate
    // them: a template for another language.
    void WriteTemplate(std::ostream& a_Out) const;

private:
    bool TakeAll(std::istream& a_In, const std::string& a_Path, std::string& a_Why);
    bool Take(const std::string& a_Line, const std::string& a_Where,
              std::map<std::string, std::string>& a_Seen, std::string& a_Why);
    bool CheckComplete(const std::string& a_Path, std::string& a_Why) const;

    std::map<std::string, std::string> m_Words;
    bool m_TimeIsGiven = false;
};

#endif
