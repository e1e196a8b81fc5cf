#include "VirtualPlatform.h"

CTimeVal CVirtualPlatform::Wall() const {
    CTimeVal wall(timeval{0, 0});
    wall.AddMicroSecs(m_Steady + m_Offset);
    return wall;
}

CTimeVal CVirtualPlatform::Now() {
    CTimeVal now = Wall();
    Advance(m_ReadingMicros);
    return now;
}

// Ends at the moment, or at a step or a change of the mount table before it.
EWaitEnd CVirtualPlatform::WaitUntilOrChange(const CTimeVal& a_Until) {
    ++m_Waits;
    std::int64_t until = Micros(a_Until);
    bool cue = !m_Cues.empty() && m_Cues.front().m_At <= until;
    bool change = cue && m_Cues.front().m_Change;
    Advance(std::max<std::int64_t>((cue ? m_Cues.front().m_At : until) - (m_Steady + m_Offset), 0));
    return !cue ? EWaitEnd::Reached : change ? EWaitEnd::MountsChanged : EWaitEnd::ClockStepped;
}

EPlayEnd CVirtualPlatform::Play(const CPlayback& a_Playback) {
    m_Playbacks.emplace_back(Wall(), a_Playback);
    float limit =
        a_Playback.m_LeadInSecs + a_Playback.m_Duration + c_PlayerGraceSecs + c_StopGraceSecs;
    Advance(m_PlayEnd == EPlayEnd::Stopped ? std::int64_t(double(limit) * 1e6) : m_PlayMicros);
    return m_PlayEnd;
}

// Steps and changes of the mount table that the time passes happen on the way.
void CVirtualPlatform::Advance(std::int64_t a_MicroSecs) {
    m_Steady += a_MicroSecs;
    for (; !m_Cues.empty() && m_Cues.front().m_At <= m_Steady + m_Offset; m_Cues.pop_front()) {
        m_Offset += m_Cues.front().m_By;
        if (m_Cues.front().m_Change)
            m_Cues.front().m_Change();
    }
}
