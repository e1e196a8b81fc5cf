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
    CTimeVal m_StartTime;     // when it was planned to start: its first recording is heard then
    CTimeVal m_AnnounceTime;  // the time its spoken records say
    float m_Duration = 0;     // how long its recordings last, in seconds
    std::list<CSlot> m_Slots; // its recordings in play order; a missing one has no file name
    // The file list: each file name followed by one space, the lead-in's first when there is one.
    std::string m_FileNames;
    float m_LeadInSecs = 0; // the silence played before the recordings

    // When the player starts: the lead-in before the start.
    CTimeVal PlayerStart() const {
        CTimeVal start = m_StartTime;
        start.AddSecs(-m_LeadInSecs);
        return start;
    }
};

// Why a wait for a wall-clock moment ended.
enum class EWaitEnd { Reached, ClockStepped, MountsChanged };
// How a playback ended: the player finished, failed (not started, or a status other than 0),
// was stopped for running too long, or was stopped because its files left the mount table.
enum class EPlayEnd { Finished, Failed, Stopped, MountsChanged };

// What the announcer needs from the world: the wall clock, a steady clock to measure wall-clock
// steps, waits that the kernel ends early on a step or a change of the mount table, the player,
// and the service manager. Tests and the timetable preview substitute a virtual clock and a
// player that only takes note.
class CPlatform {
public:
    // A player still running this long after its chain's duration is stopped: asked to end, and
    // killed when it has not after the second grace.
    static constexpr float c_PlayerGraceSecs = 10;
    static constexpr float c_StopGraceSecs = 2;

    virtual ~CPlatform() = default;

    virtual CTimeVal Now() = 0;
    // A clock that never steps, in microseconds from an arbitrary origin.
    virtual std::int64_t SteadyMicroSecs() = 0;
    // Sleeps a_MicroSecs of the steady clock: neither a wall-clock step nor a change of the mount
    // table ends it early.
    virtual void SleepFor(std::int64_t a_MicroSecs) = 0;
    // Until the wall clock reads a_Until, or earlier at any change: the wall clock is stepped (by
    // however little) or the mount table changes. CStepTolerantWait rides out the small steps.
    virtual EWaitEnd WaitUntilOrChange(const CTimeVal& a_Until) = 0;
    // Sleeps a_MicroSecs of the steady clock, or less when the mount table changes meanwhile.
    virtual EWaitEnd SleepForOrChange(std::int64_t a_MicroSecs) {
        SleepFor(a_MicroSecs);
        return EWaitEnd::Reached;
    }
    // Plays a chain; returns when playback has ended. A player still running c_PlayerGraceSecs
    // after the chain's lead-in and duration is stopped.
    virtual EPlayEnd Play(const CPlayback& a_Playback) = 0;
    // What the announcer is doing, for the service manager; the first report also says it runs.
    virtual void Status(const std::string& a_Text) { (void)a_Text; }
    // A wall clock earlier than this has not been set (a board without a real-time clock starts
    // in 1970 or at its last shutdown): nothing it says may be spoken.
    virtual CTimeVal EarliestSetTime() { return CTimeVal(timeval{0, 0}); }
};

#endif
