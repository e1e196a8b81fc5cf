#ifndef QUILLANE_PLANPLATFORM_H
#define QUILLANE_PLANPLATFORM_H

#include "Platform.h"

#include <cstddef>
#include <iostream>

// A virtual clock for previewing a timetable: sleeps advance it at once, and playing a chain
// writes one line and advances it by the chain's duration instead of making a sound.
class CPlanPlatform : public CPlatform {
public:
    // Lines for a person; Json: one JSON object per announcement, for scripts, with the sound
    // names.
    enum class EForm { Lines, Json };

    // a_Lines, when given, also gets each line for a person (for the picture).
    CPlanPlatform(const CTimeVal& a_Start, std::ostream& a_Out, EForm a_Form = EForm::Lines,
                  std::ostream* a_Lines = nullptr);

    std::size_t Plays() const { return m_Plays; }

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
    void Advance(std::int64_t a_MicroSecs);

    CTimeVal m_Now;
    std::int64_t m_SteadyMicroSecs = 0;
    std::ostream& m_Out;
    EForm m_Form;
    std::ostream* m_Lines;
    std::size_t m_Plays = 0;
};

#endif
