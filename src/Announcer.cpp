#include "Announcer.h"

#include "Schedule.h"
#include "SoundLibrary.h"

int CAnnouncer::Run(const std::string& a_Dir) {
    // Both live on this stack for the whole run; on a failed load the schedule goes first,
    // then the library, which clears gSoundLibrary.
    CSoundLibrary library(a_Dir);
    CSchedule schedule(a_Dir, m_Platform, m_Out);
    if (!schedule.Load())
        return 1;
    m_Out << "Schedule loaded" << std::endl;
    for (;;)
        schedule.PlayNextSound();
}
