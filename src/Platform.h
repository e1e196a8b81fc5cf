#ifndef QUILLANE_PLATFORM_H
#define QUILLANE_PLATFORM_H

#include "Slot.h"
#include "TimeVal.h"

#include <cstdint>
#include <list>
#include <string>

// One chain to be played now, as the scheduler hands it to the player.
struct CPlayback {
    float m_Key = 0;          // the chain's key in its interval
    CTimeVal m_StartTime;     // when it was planned to start
    CTimeVal m_AnnounceTime;  // the time its spoken records say
    float m_Duration = 0;     // how long its recordings last, in seconds
    std::list<CSlot> m_Slots; // its recordings in play order; a missing one has no file name
    std::string m_FileNames;  // the file list: each file name followed by one space
};

// What the announcer needs from the world: the wall clock, a steady clock to notice wall-clock
// steps, sleeping and the player. Tests and the timetable preview substitute a virtual clock and
// a player that only takes note.
class CPlatform {
public:
    virtual ~CPlatform() = default;

    virtual CTimeVal Now() = 0;
    // A clock that never steps, in microseconds from an arbitrary origin.
    virtual std::int64_t SteadyMicroSecs() = 0;
    virtual void SleepMicroSecs(std::int64_t a_MicroSecs) = 0;
    // Plays a chain; returns when playback has ended.
    virtual void Play(const CPlayback& a_Playback) = 0;
};

#endif
