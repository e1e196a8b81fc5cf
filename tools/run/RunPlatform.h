#ifndef QUILLANE_RUNPLATFORM_H
#define QUILLANE_RUNPLATFORM_H

#include "Platform.h"

#include <iostream>

// The board's own platform, with one line for a person as each announcement starts:
// "12:14:54 platform-2, the time 12:15".
class CRunPlatform : public CPlatform {
public:
    CRunPlatform(CPlatform& a_Board, std::ostream& a_Out) : m_Board(a_Board), m_Out(a_Out) {}

    CTimeVal Now() override { return m_Board.Now(); }
    std::int64_t SteadyMicroSecs() override { return m_Board.SteadyMicroSecs(); }
    void SleepFor(std::int64_t a_MicroSecs) override { m_Board.SleepFor(a_MicroSecs); }
    EWaitEnd WaitUntilOrChange(const CTimeVal& a_Until) override {
        return m_Board.WaitUntilOrChange(a_Until);
    }
    EPlayEnd Play(const CPlayback& a_Playback) override;
    void Status(const std::string& a_Text) override { m_Board.Status(a_Text); }
    CTimeVal EarliestSetTime() override { return m_Board.EarliestSetTime(); }

private:
    CPlatform& m_Board;
    std::ostream& m_Out;
};

#endif
