#ifndef QUILLANE_REALPLATFORM_H
#define QUILLANE_REALPLATFORM_H

#include "Platform.h"

#include <iostream>

// The system clock, real sleeps and aplay through the shell.
class CRealPlatform : public CPlatform {
public:
    explicit CRealPlatform(std::ostream& a_Out = std::cout) : m_Out(a_Out) {}

    CTimeVal Now() override;
    std::int64_t SteadyMicroSecs() override;
    void SleepMicroSecs(std::int64_t a_MicroSecs) override;
    void Play(const CPlayback& a_Playback) override;

private:
    std::ostream& m_Out;
};

#endif
