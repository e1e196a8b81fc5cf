#include "Announcer.h"

#include "MediaFinder.h"
#include "MountTable.h"
#include "Schedule.h"
#include "SoundLibrary.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace {
// STATX_MNT_ID_UNIQUE, which older headers lack; older kernels ignore it.
constexpr unsigned c_UniqueMountId = 0x4000;
} // namespace

CAnnouncer::CAnnouncer(CPlatform& a_Platform, std::ostream& a_Out, std::string a_MountTable)
    : m_Platform(a_Platform), m_Out(a_Out), m_MountTable(std::move(a_MountTable)) {}

int CAnnouncer::Run() {
    for (;;) {
        m_Platform.Status("Waiting for a stick");
        std::string dir;
        if (!CMediaFinder(m_Platform, m_Out, m_MountTable).FindDir(dir))
            return 255;
        std::string mount = MountOf(dir);
        if (int status = Announce(dir, mount); status != 0)
            return status;
        m_Out << "Stick at " << mount << " removed, looking for a stick again" << std::endl;
    }
}

int CAnnouncer::Run(const std::string& a_Dir) {
    std::string mount = MountOf(a_Dir);
    int status = Announce(a_Dir, mount);
    if (status == 0)
        m_Out << "Stick at " << mount << " removed" << std::endl;
    return status;
}

int CAnnouncer::Announce(const std::string& a_Dir, const std::string& a_Mount) {
    // Taken as the stick was found: another stick put in its place meanwhile is a swap too.
    Identity identity = IdentityOf(a_Mount);
    // Both live on this stack while the stick is in; on a failed load the schedule goes first,
    // then the library, which clears gSoundLibrary.
    CSoundLibrary library(a_Dir);
    CSchedule schedule(a_Dir, m_Platform, m_Out);
    if (!schedule.Load())
        return 1;
    m_Out << "Schedule loaded" << std::endl;
    UseLeadIn(schedule);
    // A pass ends early on any change of the mount table; only the stick leaving it matters.
    for (bool kept = schedule.PlayGreeting(); StillIn(kept, a_Mount, identity);)
        kept = schedule.PlayNextSound();
    return 0;
}

void CAnnouncer::UseLeadIn(CSchedule& a_Schedule) {
    std::string file, error;
    if (a_Schedule.LeadInSecs() <= 0)
        return;
    if (m_LeadIn.Write(a_Schedule.LeadInSecs(), file, error))
        a_Schedule.UseLeadIn(file);
    else
        m_Out << "Lead-in not played: " << error << std::endl;
}

bool CAnnouncer::StillIn(bool a_Kept, const std::string& a_Mount,
                         const Identity& a_Identity) const {
    return (a_Kept || Mounted(a_Mount)) && IdentityOf(a_Mount) == a_Identity;
}

// Looked at after every pass, not only after a change of the mount table was seen: a player
// whose files are still there after a change plays on, and the change is not seen again. The
// kernel hands a freed device number, root inode and mount ID to the next mount, so only the
// mount ID it never hands out twice (Linux 6.8 on) tells every swap; before, most.
CAnnouncer::Identity CAnnouncer::IdentityOf(const std::string& a_Mount) {
    constexpr unsigned c_MountIds = STATX_MNT_ID | c_UniqueMountId;
    struct statx info {};
    if (::statx(AT_FDCWD, a_Mount.c_str(), AT_NO_AUTOMOUNT, STATX_INO | c_MountIds, &info) != 0)
        return {};
    std::uint64_t device = std::uint64_t(info.stx_dev_major) << 32 | info.stx_dev_minor;
    return {device, info.stx_ino, (info.stx_mask & c_MountIds) ? info.stx_mnt_id : 0};
}

namespace {
bool Holds(const std::string& a_Point, const std::string& a_Path) {
    return a_Point == "/" || a_Path == a_Point || a_Path.rfind(a_Point + "/", 0) == 0;
}
} // namespace

std::string CAnnouncer::MountOf(const std::string& a_Path) const {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::canonical(a_Path, error);
    std::string path = error ? a_Path : canonical.string();
    std::vector<std::string> points;
    MountPoints(points);
    std::string found;
    for (const std::string& point : points)
        if (point.size() > found.size() && Holds(point, path))
            found = point;
    return found;
}

bool CAnnouncer::Mounted(const std::string& a_Mount) const {
    std::vector<std::string> points;
    return a_Mount.empty() || !MountPoints(points) ||
           std::find(points.begin(), points.end(), a_Mount) != points.end();
}

bool CAnnouncer::MountPoints(std::vector<std::string>& a_Points) const {
    std::vector<CMountTable::Mount> mounts;
    bool read = CMountTable::Read(m_MountTable, mounts);
    for (const CMountTable::Mount& mount : mounts)
        a_Points.push_back(mount.m_Point);
    return read;
}
