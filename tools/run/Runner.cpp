#include "run/Runner.h"

#include "Announcer.h"
#include "RealPlatform.h"
#include "run/PlayerCheck.h"
#include "run/RunPlatform.h"
#include "shared/ToolText.h"

namespace {
// One line: what keeps aplay from playing, and how to run anyway.
bool PlayerPlays(const std::string& a_Given, const std::string& a_Device, std::ostream& a_Err) {
    std::string why;
    CPlayerCheck::EResult result = CPlayerCheck::Check(a_Device, why);
    if (result == CPlayerCheck::EResult::Plays)
        return true;
    a_Err << "quillanectl: ";
    if (result == CPlayerCheck::EResult::Missing)
        a_Err << why << std::endl;
    else
        a_Err << (a_Device.empty() ? "this PC has no sound output that aplay can play on"
                                   : "aplay cannot play on the device " + Printable(a_Device))
              << " (" << why << "). To run anyway, without a sound: quillanectl run --device "
              << "null " << Printable(a_Given) << std::endl;
    return false;
}
} // namespace

int CRunner::Run(const std::string& a_Dir, const std::string& a_Given, const COptions& a_Options,
                 std::ostream& a_Out, std::ostream& a_Err) {
    if (!PlayerPlays(a_Given, a_Options.m_Device, a_Err))
        return 1;
    // Without a buffer it writes nothing: the board's lines tell a developer why, not a person
    // what.
    std::ostream quiet(nullptr);
    std::ostream& board = a_Options.m_Trace ? a_Out : quiet;
    std::vector<std::string> player = CPlayerCheck::Options(a_Options.m_Device);
    if (!a_Options.m_Trace) // aplay's line for each file would drown the announcements
        player.insert(player.begin(), "-q");
    CRealPlatform real(board, player);
    CRunPlatform person(real, a_Out);
    if (!a_Options.m_Trace)
        a_Out << "Announcing from " << Printable(a_Dir) << "; Ctrl-C ends it" << std::endl;
    int status =
        CAnnouncer(a_Options.m_Trace ? static_cast<CPlatform&>(real) : person, board).Run(a_Dir);
    if (status != 0 && !a_Options.m_Trace)
        a_Err << "quillanectl: the schedule in " << Printable(a_Dir)
              << " cannot be loaded: quillanectl check " << Printable(a_Given) << " says why"
              << std::endl;
    else if (!a_Options.m_Trace)
        a_Out << "The stick holding " << Printable(a_Dir) << " was removed" << std::endl;
    return status;
}
