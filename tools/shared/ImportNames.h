#ifndef QUILLANE_IMPORTNAMES_H
#define QUILLANE_IMPORTNAMES_H

#include <string>
#include <vector>

// Where import puts a converted recording and what it refuses, for quillanectl import and the
// studio page alike: one DIR/NAME.wav each, NAME being the file name less its last extension
// (ImportName). A name that a recording anywhere on the stick has already (below the schedule
// directory DIR lies in, in any letter case) is refused, or with --force that very file is
// replaced.
class CImportNames {
public:
    // a_Force replaces an existing recording and allows a time sound's name.
    CImportNames(std::string a_Dir, bool a_Force);

    // One line for each of a_Files that gives the same name as one before it.
    static std::vector<std::string> Clashes(const std::vector<std::string>& a_Files);
    // DIR/NAME.wav, or with --force the one recording of that name the stick already holds;
    // false, with a_Why, when the name is refused.
    bool Target(const std::string& a_Name, std::string& a_Target, std::string& a_Why) const;

    // The line for a recording made: its name, what was done (Done) and what it replaced.
    std::string Imported(const std::string& a_Name, const std::string& a_Done,
                         const std::string& a_Target) const;
    // The line for a file refused or not converted.
    static std::string NotImported(const std::string& a_File, const std::string& a_Why);
    // What was done, e.g. "3.2 s  44100 Hz stereo MP3 → 22050 Hz mono": a_Accepted when the file
    // was in the accepted format already; a_Gain what its level was multiplied by.
    static std::string Done(const std::string& a_Description, bool a_Accepted, double a_Seconds,
                            double a_Gain);

private:
    std::string m_Dir;
    std::string m_Root; // every recording below it counts
    bool m_Force;
};

#endif
