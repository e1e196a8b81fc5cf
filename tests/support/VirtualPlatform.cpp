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

void CVirtualPlatform::Play(const CPlayback& a_Playback) {
    m_Playbacks.emplace_back(Wall(), a_Playback);
    Advance(m_PlayMicros);
}

void CVirtualPlatform::Advance(std::int64_t a_MicroSecs) {
    m_Steady += a_MicroSecs;
    for (; !m_Steps.empty() && m_Steps.front().first <= m_Steady + m_Offset; m_Steps.pop_front())
        m_Offset += m_Steps.front().second;
}
