#ifndef QUILLANE_ELEMENTCHECK_H
#define QUILLANE_ELEMENTCHECK_H

#include "Schedule.h"
#include "check/CheckReport.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

// The schedule as its loader reads it, record by record: elements it does not know, elements a
// record lacks (the loader then takes a later record's), values with blanks around them, values
// it reads otherwise than they look, and the records and chains it leaves out.
class CElementCheck : public CScheduleObserver {
public:
    // Give it to a_Schedule's Load().
    explicit CElementCheck(const CSchedule& a_Schedule) : m_Schedule(a_Schedule) {}

    void RecordRead(const CRecordRead& a_Record) override;
    void ChainLeftOut(ELeftOut a_Why, float a_Key) override;

    // After the load, whether the schedule loaded or not: the findings about its elements, then
    // those about what the loader left out.
    std::vector<CCheckFinding> Findings();
    // "the chain of record 3 (in-five) at 0:15.0": the record that starts the chain keyed a_Key.
    std::string ChainLabel(float a_Key) const;
    // "record 3, 9": the numbers of the records that play the announcement a_Name.
    std::string RecordsNamed(const std::string& a_Name) const;
    // The schedule is not UTF-8: taken to be Latin-1, as older editors save it.
    bool Latin1() const { return m_Latin1; }
    // A name from the schedule as a person reads it: in UTF-8.
    std::string Shown(const std::string& a_Name) const;
    // The number of the record at a_Index of the chain keyed a_Key; 0 when not known.
    std::size_t ChainRecord(float a_Key, std::size_t a_Index) const;
    // "record 3 (clock)": record a_Number by its number and name.
    std::string RecordName(std::size_t a_Number) const;
    // The key and m_FinishAtTime written in record a_Number itself; false when it lacks one.
    bool OwnTiming(std::size_t a_Number, float& a_Key, bool& a_Finish) const;

private:
    enum class Kind { Name, Type, Time, Number };
    struct Element {
        const char* m_Tag;
        Kind m_Kind;
    };
    // A record as the findings name it.
    struct Record {
        const CRecordRead& m_Read;
        std::string m_Name, m_Label;
        bool m_Timed;
    };
    // A missing element's finding, to be told once the record it is taken from is known.
    struct Taken {
        std::size_t m_Finding; // in m_ElementFindings
        std::size_t m_Pos;     // of the tag it is taken from
    };
    static const Element c_Elements[6];

    std::string RecordLabel(std::size_t a_Number, const std::string& a_Name) const;
    std::string NameOf(std::size_t a_Number) const;
    void CheckFrequency();
    void CheckRecord(const Record& a_Record);
    void CheckUnknown(const Record& a_Record);
    void CheckMissing(const Record& a_Record, const Element& a_Element, const CValue& a_Value);
    void CheckValue(const Record& a_Record, const Element& a_Element, const std::string& a_Raw);
    void CheckBlanks(const Record& a_Record, const Element& a_Element, const std::string& a_Raw);
    void CheckType(const Record& a_Record, const std::string& a_Raw);
    void CheckKey(const Record& a_Record, const std::string& a_Raw);
    void CheckNumber(const Record& a_Record, const Element& a_Element, const std::string& a_Raw);
    void NoteLeftOut(const Record& a_Record);
    static std::string Reading(Kind a_Kind, const std::string& a_Raw);
    static std::string Closest(const std::string& a_Tag);
    // False when the finding is beyond the cap and left out. An empty a_Hint is the kind's.
    bool Add(EFinding a_Kind, std::size_t a_Record, std::string a_Text, std::string a_Hint = "");
    bool AddBlanks(std::size_t a_Record, std::string a_Text, std::string a_Hint,
                   bool a_ChangesPlay);
    void AddLeftOut(EFinding a_Kind, std::size_t a_Record, std::string a_Text);
    static bool AddCapped(std::vector<CCheckFinding>& a_Findings, CCheckFinding a_Finding,
                          EFinding a_More, const char* a_MoreText);

    const CSchedule& m_Schedule;
    bool m_FrequencyChecked = false;
    bool m_Latin1 = false;
    std::vector<std::size_t> m_Begins;          // where each record begins, in record order
    std::map<float, std::size_t> m_ChainStarts; // key -> number of the record starting it
    std::map<float, std::vector<std::size_t>> m_ChainRecords;        // key -> its records' numbers
    float m_LastKey = 0;                                             // of the chain started last
    std::map<std::string, std::vector<std::size_t>> m_Announcements; // name -> record numbers
    std::vector<CCheckFinding> m_ElementFindings, m_LeftOutFindings;
    std::vector<Taken> m_Taken;
};

#endif
