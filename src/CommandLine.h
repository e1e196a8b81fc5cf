#ifndef QUILLANE_COMMANDLINE_H
#define QUILLANE_COMMANDLINE_H

#include <iostream>

// The announcer's arguments: none to announce, --help or --version to print and end, anything
// else a usage error.
class CCommandLine {
public:
    static constexpr int c_UsageError = 2;

    CCommandLine(std::ostream& a_Out, std::ostream& a_Err) : m_Out(a_Out), m_Err(a_Err) {}

    // False when the program is to end at once, with a_Status.
    bool Accept(int a_Argc, const char* const* a_Argv, int& a_Status);

private:
    std::ostream& m_Out;
    std::ostream& m_Err;
};

#endif
