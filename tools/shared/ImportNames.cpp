#include "shared/ImportNames.h"

#include "Schedule.h"
#include "SoundLibrary.h"
#include "Wave.h"
#include "shared/Failure.h"
#include "shared/StickDir.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace {
std::string Tenths(double a_Value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", a_Value);
    return text;
}

std::string Lower(std::string a_Text) {
    for (char& c : a_Text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return a_Text;
}

// The schedule directory a_Dir lies in (or is) on its file system; a_Dir itself when there is
// none, a directory on a PC.
std::string ScheduleDirHolding(const std::string& a_Dir) {
    namespace fs = std::filesystem;
    std::error_code error;
    struct stat here {};
    struct stat up {};
    for (fs::path dir = fs::absolute(a_Dir, error).lexically_normal(); !error;
         dir = dir.parent_path()) {
        if (fs::exists(dir / CSchedule::c_FileName, error))
            return dir == fs::absolute(a_Dir).lexically_normal() ? a_Dir : dir.string();
        if (dir == dir.root_path() || ::stat(dir.c_str(), &here) != 0 ||
            ::stat(dir.parent_path().c_str(), &up) != 0 || up.st_dev != here.st_dev)
            break;
    }
    return a_Dir;
}

// The recordings below a_Root that give the sound a_Name in any letter case of the name and of
// .wav, as the board finds them: a FAT stick holds such names as one file.
std::vector<std::string> Recordings(const std::string& a_Root, const std::string& a_Name) {
    namespace fs = std::filesystem;
    std::error_code error;
    std::vector<std::string> found;
    for (fs::recursive_directory_iterator
             it(a_Root, fs::directory_options::skip_permission_denied, error),
         end;
         !error && it != end; it.increment(error)) {
        std::string file = it->path().filename().string();
        if (it->symlink_status(error).type() == fs::file_type::regular &&
            Lower(file) == Lower(a_Name + ".wav"))
            found.push_back(it->path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}
} // namespace

CImportNames::CImportNames(std::string a_Dir, bool a_Force)
    : m_Dir(CStickDir::WithoutTrailingSlashes(std::move(a_Dir))), m_Root(ScheduleDirHolding(m_Dir)),
      m_Force(a_Force) {}

std::vector<std::string> CImportNames::Clashes(const std::vector<std::string>& a_Files) {
    std::map<std::string, std::string> first; // the name in lower case -> the file giving it
    std::vector<std::string> clashes;
    for (const std::string& file : a_Files) {
        auto [at, fresh] = first.emplace(Lower(ImportName(file)), file);
        if (!fresh)
            clashes.push_back(Printable(at->second) + " and " + Printable(file) +
                              " would both become the recording " + Printable(ImportName(file)) +
                              ": rename one of them. Nothing was imported");
    }
    return clashes;
}

bool CImportNames::Target(const std::string& a_Name, std::string& a_Target,
                          std::string& a_Why) const {
    struct stat st {};
    a_Target = m_Dir + "/" + a_Name + ".wav";
    if (a_Name.empty())
        return Fail(a_Why, "its file name is empty");
    if (!m_Force && CSoundLibrary::IsTimeFile(a_Name))
        return Fail(a_Why, "the name " + a_Name +
                               " would make it a time sound (names starting with cdhour or cdnum "
                               "are spoken times): rename the file, or use --force if it is one");
    std::vector<std::string> there = Recordings(m_Root, a_Name);
    if (there.size() > 1)
        return Fail(a_Why,
                    "the stick holds " + std::to_string(there.size()) +
                        " recordings of this name (letter case aside): " + Joined(there, ", ") +
                        ". The board plays only one of them: remove all but one, then "
                        "import again with --force");
    if (!there.empty() && !m_Force)
        return Fail(a_Why,
                    "the stick already holds " + there.front() + ": use --force to replace it");
    if (there.empty() && !m_Force && ::lstat(a_Target.c_str(), &st) == 0)
        return Fail(a_Why, a_Target + " is already there: use --force to replace it");
    a_Target = there.empty() ? a_Target : there.front();
    return true;
}

std::string CImportNames::Imported(const std::string& a_Name, const std::string& a_Done,
                                   const std::string& a_Target) const {
    return Printable(a_Name) + "  " + a_Done +
           (a_Target == m_Dir + "/" + a_Name + ".wav" ? "" : ", replacing " + Printable(a_Target));
}

std::string CImportNames::NotImported(const std::string& a_File, const std::string& a_Why) {
    return "quillanectl: " + Printable(a_File) + " not imported: " + Printable(a_Why);
}

std::string CImportNames::Done(const std::string& a_Description, bool a_Accepted, double a_Seconds,
                               double a_Gain) {
    std::string done = Tenths(a_Seconds) + " s  ";
    if (a_Accepted)
        return done + "already in the accepted format (" + a_Description + ")";
    done += a_Description + " → " + std::to_string(CWave::c_sample_rate) + " Hz mono";
    // Less than a twentieth of a decibel would read "0.0 dB": not worth a word.
    double lowered = -20.0 * std::log10(a_Gain);
    if (lowered >= 0.05)
        done += ", level lowered " + Tenths(lowered) + " dB to avoid clipping";
    return done;
}
