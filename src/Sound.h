#ifndef QUILLANE_SOUND_H
#define QUILLANE_SOUND_H

#include <iostream>
#include <string>

// Plays a file list (each full path followed by one space) in one run of aplay.
class CSound {
public:
    explicit CSound(std::string a_FileNames, std::ostream& a_Out = std::cout);

    // Prints the command, runs it through the shell and waits for it to end. With no file in
    // the list the command is printed but the player is not started.
    void Play();
    // The shell command Play() runs: "aplay " followed by the escaped list. Prints nothing.
    std::string Command() const;
    // True when Play() would start the player (at least one file in the list).
    bool HasFiles() const;

private:
    // The list rewritten for the shell; with a_Trace, each escaped space is reported there.
    std::string EscapedFileNames(std::ostream* a_Trace) const;
    static bool IsWavSuffix(const std::string& s);

    std::string m_FileNames;
    std::ostream& m_Out;
};

#endif
