#ifndef QUILLANE_LEADINFILE_H
#define QUILLANE_LEADINFILE_H

#include <string>

// The silent recording played before every chain when a schedule asks for a lead-in, written in
// the announcer's runtime directory: the service manager's ($RUNTIME_DIRECTORY), or, when run by
// hand, a private temporary directory that is removed at exit, on SIGINT, SIGTERM and SIGHUP
// too. Nothing is written until a schedule asks for it.
class CLeadInFile {
public:
    static constexpr const char* c_Name = "lead-in.wav";

    CLeadInFile() = default;
    ~CLeadInFile();
    CLeadInFile(const CLeadInFile&) = delete;
    CLeadInFile& operator=(const CLeadInFile&) = delete;

    // Writes a_Secs of silence in the accepted format; false, with why in a_Error, when it cannot.
    bool Write(float a_Secs, std::string& a_Path, std::string& a_Error);

private:
    bool MakeDir(std::string& a_Error);

    std::string m_Dir;
    bool m_Private = false; // made here, and removed here
};

#endif
