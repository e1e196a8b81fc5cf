#include "CommandLine.h"

#include "BuildInfo.h"

#include <string>

namespace {
const char* const c_Usage =
    "Usage: quillane [--help | --version]\n"
    "Plays the announcements and spoken clock times of the schedule on a USB stick, for as long\n"
    "as it runs; a stick swapped meanwhile is picked up by itself. Started at boot by\n"
    "quillane.service; see quillane(8).\n";
} // namespace

bool CCommandLine::Accept(int a_Argc, const char* const* a_Argv, int& a_Status) {
    std::string first = a_Argc > 1 ? a_Argv[1] : "";
    bool known = first == "--help" || first == "--version";
    a_Status = 0;
    if (a_Argc > 2 || (a_Argc == 2 && !known)) {
        m_Err << "quillane: unexpected argument \"" << a_Argv[known ? 2 : 1] << "\"\n" << c_Usage;
        a_Status = c_UsageError;
    } else if (first == "--help") {
        m_Out << c_Usage;
    } else if (first == "--version") {
        m_Out << "quillane " << QUILLANE_VERSION << "\n";
    }
    return a_Argc <= 1;
}
