#ifndef QUILLANE_PLATFORM_H
#define QUILLANE_PLATFORM_H

#include "TimeVal.h"

#include <cstdint>
#include <string>

// What the announcer needs from the world: the wall clock, a steady clock to notice wall-clock
// steps, sleeping and the player. Tests substitute a virtual clock and a recording player.
class CPlatform {
public:
    virtual ~CPlatform() = default;

    virtual CTimeVal Now() = 0;
    // A clock that never steps, in microseconds from an arbitrary origin.
    virtual std::int64_t SteadyMicroSecs() = 0;
    virtual void SleepMicroSecs(std::int64_t a_MicroSecs) = 0;
    // Plays a file list (each path followed by one space); returns when playback has ended.
    virtual void Play(const std::string& a_FileNames) = 0;
};

#endif
