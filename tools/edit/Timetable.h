#ifndef QUILLANE_TIMETABLE_H
#define QUILLANE_TIMETABLE_H

#include <string>
#include <vector>

// A schedule's timetable as a person edits it, without the XML: the interval and the records,
// with the values the loader reads for each. Written back, it changes the schedule's own text
// in place: only the values that differ, so that comments, layout and every element it does
// not know stay as they were, and the text then reads as the timetable says.
class CTimetable {
public:
    struct CRow {
        int m_Source = -1; // the record of the text it was read from, counted from 0; -1: new
        std::string m_Name;
        std::string m_Type;
        std::string m_Key; // M:SS.T
        bool m_Finish = false;
        bool m_After = false;
        int m_Offset = 0;
        std::string m_When; // read only inside the record; counts where it starts a chain
    };

    std::string m_Interval; // as m_Frequency holds it
    // The calendar's elements outside the records, as they hold them; empty for none.
    std::string m_Quiet, m_LeadIn, m_Greeting;
    bool m_Loads = false;     // the interval loads: only then are records read and written
    std::vector<CRow> m_Rows; // in the order of the text

    // The timetable of the schedule text a_Text.
    static CTimetable Read(const std::string& a_Text);
    // a_Text changed to read as this timetable; false, with a_Why and a_Text unchanged, when
    // a value cannot stand in a schedule.
    bool WriteInto(std::string& a_Text, std::string& a_Why) const;
    // Gives the rows keyed at a_FromSecs the key a_ToSecs; returns how many there were.
    std::size_t MoveKeys(float a_FromSecs, float a_ToSecs);

private:
    std::string Restructured(const std::string& a_Text) const;
};

#endif
