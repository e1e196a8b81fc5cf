#ifndef QUILLANE_ELEMENTCHECK_H
#define QUILLANE_ELEMENTCHECK_H

#include "CheckReport.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

class CSchedule;

// The schedule's elements as the loader reads them, record by record: elements it does not
// know, elements a record lacks (the loader then takes the next record's), values with blanks
// around them and values it reads otherwise than they look.
class CElementCheck {
public:
    // a_Schedule after Load(), whether it loaded or not.
    explicit CElementCheck(const CSchedule& a_Schedule);

    const std::vector<CCheckFinding>& Findings() const { return m_Findings; }
    // "the chain of record 3 (in-five) at 0:15.0": the record that starts the chain keyed a_Key.
    std::string ChainLabel(float a_Key) const;
    // "record 3, 9": the numbers of the records that play the announcement a_Name.
    std::string RecordsNamed(const std::string& a_Name) const;

private:
    enum class Kind { Name, Type, Time, Number };
    struct Element {
        const char* m_Tag;
        Kind m_Kind;
    };
    struct Record {
        std::size_t m_Number, m_Start, m_End;
        std::string m_Name, m_Label;
        bool m_Timed, m_Custom, m_StartsChain;
    };
    static const Element c_Elements[6];

    Record Read(std::size_t a_Index) const;
    static bool IsRead(const Record& a_Record, const Element& a_Element);
    void CheckFrequency();
    void CheckRecord(const Record& a_Record);
    void CheckUnknown(const Record& a_Record);
    void CheckMissing(const Record& a_Record, const Element& a_Element);
    void CheckValue(const Record& a_Record, const Element& a_Element);
    void CheckBlanks(const Record& a_Record, const Element& a_Element, const std::string& a_Raw);
    void CheckType(const Record& a_Record, const std::string& a_Raw);
    void CheckKey(const Record& a_Record, const std::string& a_Raw);
    void CheckNumber(const Record& a_Record, const Element& a_Element, const std::string& a_Raw);
    static std::string Reading(Kind a_Kind, const std::string& a_Raw);
    static std::string Closest(const std::string& a_Tag);
    void Add(const char* a_Kind, const Record* a_Record, std::string a_Text, std::string a_Hint,
             bool a_ChangesPlay);

    const CSchedule& m_Schedule;
    std::vector<std::size_t> m_Starts; // where each record begins, as the loader finds them
    std::map<float, std::size_t> m_ChainStarts;
    std::map<std::string, std::vector<std::size_t>> m_Announcements; // name -> record numbers
    std::vector<CCheckFinding> m_Findings;
};

#endif
