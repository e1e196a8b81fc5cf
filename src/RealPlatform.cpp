#include "RealPlatform.h"

#include "Sound.h"

#include <cerrno>
#include <ctime>

CTimeVal CRealPlatform::Now() {
    return CTimeVal();
}

std::int64_t CRealPlatform::SteadyMicroSecs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void CRealPlatform::SleepMicroSecs(std::int64_t a_MicroSecs) {
    if (a_MicroSecs <= 0)
        return;
    timespec left{time_t(a_MicroSecs / 1000000), long(a_MicroSecs % 1000000) * 1000};
    // A signal must not cut the wait short.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

void CRealPlatform::Play(const CPlayback& a_Playback) {
    CSound(a_Playback.m_FileNames, m_Out).Play();
}
