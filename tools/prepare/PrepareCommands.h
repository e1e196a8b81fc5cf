#ifndef QUILLANE_PREPARECOMMANDS_H
#define QUILLANE_PREPARECOMMANDS_H

#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

class CSpeech;
class CTimeWords;

// voice, import and init as the command line gives them: each says what it made, or why not in
// one line on the error stream, and returns the exit status (0 done, 1 something not made).
class CPrepareCommands {
public:
    // How the time sounds are spoken: an espeak-ng voice, and a words file or none (English).
    struct CVoice {
        std::string m_Name = "en";
        std::string m_WordsFile;
    };

    CPrepareCommands(std::ostream& a_Out, std::ostream& a_Err) : m_Out(a_Out), m_Err(a_Err) {}

    // The time sounds into a_Given/times (a stick's mount point stands for its schedule dir),
    // and time-is into a_Given when the words file gives its words.
    int Voice(const std::string& a_Given, const CVoice& a_Voice);
    // The English words, as a words file to translate.
    int PrintWords();
    // a_Paths: the recordings, then the directory to put them in.
    int Import(std::vector<std::string> a_Paths, bool a_Force);
    // A ready stick in a_Stick, with an interval of a_IntervalSecs.
    int Init(const std::string& a_Stick, int a_IntervalSecs, bool a_Force, const CVoice& a_Voice);

private:
    int Failed(const std::string& a_Why) const;
    int SpeakTimes(const std::string& a_Dir, const CSpeech& a_Speech, const CTimeWords& a_Words,
                   const CVoice& a_Voice);
    // Runs a_Then with the voice and the words asked for; a status of 1 when either fails.
    int Speaking(const CVoice& a_Voice,
                 const std::function<int(const CSpeech&, const CTimeWords&)>& a_Then) const;
    static std::optional<CTimeWords> Words(const CVoice& a_Voice, std::string& a_Why);
    static std::string ScheduleDirOr(const std::string& a_Given);

    std::ostream& m_Out;
    std::ostream& m_Err;
};

#endif
