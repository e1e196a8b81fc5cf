#ifndef QUILLANE_REALPLATFORM_H
#define QUILLANE_REALPLATFORM_H

#include "KernelWait.h"
#include "Platform.h"
#include "ServiceNotifier.h"

#include <iostream>
#include <string>
#include <vector>

// The system clock, waits the kernel ends, aplay and systemd.
class CRealPlatform : public CPlatform {
public:
    // a_PlayerOptions go to every aplay before the file names (quillanectl run's device).
    explicit CRealPlatform(std::ostream& a_Out = std::cout,
                           std::vector<std::string> a_PlayerOptions = {});

    CTimeVal Now() override;
    std::int64_t SteadyMicroSecs() override;
    void SleepFor(std::int64_t a_MicroSecs) override;
    EWaitEnd WaitUntilOrChange(const CTimeVal& a_Until) override;
    EWaitEnd SleepForOrChange(std::int64_t a_MicroSecs) override;
    EPlayEnd Play(const CPlayback& a_Playback) override;
    void Status(const std::string& a_Text) override;
    CTimeVal EarliestSetTime() override { return BuildTime(); }

    // When this program was built: no real clock reads earlier.
    static CTimeVal BuildTime();

private:
    EWaitEnd WaitSteady(const CTimeVal& a_Until);

    std::ostream& m_Out;
    std::vector<std::string> m_PlayerOptions;
    CServiceNotifier m_Notifier;
    CKernelWait m_Wait;
};

#endif
