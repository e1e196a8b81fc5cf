#ifndef QUILLANE_SOUND_H
#define QUILLANE_SOUND_H

#include "KernelWait.h"
#include "Platform.h"

#include <iostream>
#include <string>
#include <vector>

class CChildProcess;

// Plays a file list (each full path followed by one space) in one run of aplay.
class CSound {
public:
    // a_PlayerOptions go to aplay before the file names (quillanectl run's device); the board
    // gives none.
    explicit CSound(std::string a_FileNames, std::ostream& a_Out = std::cout,
                    std::vector<std::string> a_PlayerOptions = {});

    // Prints the command, runs aplay with the file names as its arguments (no shell between)
    // and waits for it to end. A player still running after a_LimitSecs is stopped, and so is
    // one whose files are gone after a change of the mount table. With no file in the list the
    // command is printed but the player is not started.
    EPlayEnd Play(CKernelWait& a_Wait, float a_LimitSecs);
    // The command Play() prints: "aplay " followed by the list escaped for the shell, which
    // hands aplay the arguments Play() gives it. Prints nothing.
    std::string Command() const;

private:
    // The list rewritten for the shell, and as words into a_Words when given; with a_Trace,
    // each escaped space is reported there.
    std::string EscapedFileNames(std::ostream* a_Trace,
                                 std::vector<std::string>* a_Words = nullptr) const;
    static bool IsWavSuffix(const std::string& s);
    EPlayEnd Await(CChildProcess& a_Player, CKernelWait& a_Wait, const std::string& a_File,
                   float a_LimitSecs);
    EPlayEnd ReportEnd(const CChildProcess& a_Player);
    void Stop(CChildProcess& a_Player, CKernelWait& a_Wait);

    // The options escaped for the shell, each followed by a space.
    std::string EscapedOptions() const;

    std::string m_FileNames;
    std::ostream& m_Out;
    std::vector<std::string> m_PlayerOptions;
};

#endif
