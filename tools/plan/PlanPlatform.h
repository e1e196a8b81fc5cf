#ifndef QUILLANE_PLANPLATFORM_H
#define QUILLANE_PLANPLATFORM_H

#include "Platform.h"

#include <cstddef>
#include <iostream>
#include <string>
#include <vector>

// A virtual clock for previewing a timetable: sleeps advance it at once, and playing a chain
// writes one line and advances it by the chain's duration instead of making a sound. Lines of
// one day name no date; once the announcements reach a second day, every line names its date.
// Lines wait until that is known: until the day changes, or Finish().
class CPlanPlatform : public CPlatform {
public:
    // Lines for a person; Json: one JSON object per announcement, for scripts, with the sound
    // names.
    enum class EForm { Lines, Json };

    // a_Lines, when given, also gets each line for a person (for the picture).
    CPlanPlatform(const CTimeVal& a_Start, std::ostream& a_Out, EForm a_Form = EForm::Lines,
                  std::ostream* a_Lines = nullptr);

    std::size_t Plays() const { return m_Plays; }
    // Writes the lines held back.
    void Finish();
    // A line among the announcements for quiet hours from a_From to a_Until, "quiet 22:00 to
    // 06:00" (with the dates when they last a day or more, "to at least" when a_Until is only as
    // far as was looked); none in Json form.
    void Quiet(const CTimeVal& a_From, const CTimeVal& a_Until, bool a_EndKnown);

    CTimeVal Now() override { return m_Now; }
    std::int64_t SteadyMicroSecs() override { return m_SteadyMicroSecs; }
    void SleepFor(std::int64_t a_MicroSecs) override;
    // The clock is never stepped and the mount table never changes.
    EWaitEnd WaitUntilOrChange(const CTimeVal& a_Until) override;
    // Writes "HH:MM:SS.mmm<TAB>key<TAB>what is heard": announcements by name, a spoken time as
    // the time it says ("12:15"), a missing sound as "!" and its name (a spoken time then by its
    // sound names); in Json form {"start", "key", "sounds", "missing", "spoken"}, the objects
    // separated by commas.
    EPlayEnd Play(const CPlayback& a_Playback) override;

private:
    // A line to write: an announcement's, whose text follows its start, or a quiet stretch's.
    struct CLine {
        CTimeVal m_Start;
        std::string m_Text; // after the start: the line's tabs and words
        std::string m_Json; // in Json form: the object's members after its start, and its '}'
        bool m_Quiet = false;
        CTimeVal m_Until{timeval{0, 0}};
        bool m_EndKnown = true;
    };
    void Hold(CLine a_Line);
    void Write(const CLine& a_Line);
    void Advance(std::int64_t a_MicroSecs);

    CTimeVal m_Now;
    std::int64_t m_SteadyMicroSecs = 0;
    std::ostream& m_Out;
    EForm m_Form;
    std::ostream* m_Lines;
    std::size_t m_Plays = 0;
    std::size_t m_Written = 0; // JSON objects written
    std::vector<CLine> m_Held; // of the first day of announcements, until it is known to be alone
    bool m_Dated = false;      // the announcements reach a second day
};

#endif
