#include "run/RunPlatform.h"

#include "shared/SpokenText.h"

EPlayEnd CRunPlatform::Play(const CPlayback& a_Playback) {
    m_Out << Now().ClockText() << " " << SpokenText(a_Playback.m_Slots) << std::endl;
    EPlayEnd end = m_Board.Play(a_Playback);
    if (end == EPlayEnd::Failed)
        m_Out << "  not heard: aplay could not play it (its message is above)" << std::endl;
    else if (end == EPlayEnd::Stopped)
        m_Out << "  stopped: aplay was still playing 10 seconds after the chain should have "
                 "ended"
              << std::endl;
    return end;
}
