#include "prepare/Importer.h"

#include "SoundLibrary.h"
#include "Wave.h"
#include "prepare/AudioFile.h"
#include "prepare/WaveFile.h"
#include "shared/Failure.h"
#include "shared/ToolText.h"

#include <cmath>
#include <cstdio>
#include <sys/stat.h>

namespace {
std::string Tenths(double a_Value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", a_Value);
    return text;
}

// What was done, e.g. "3.2 s  44100 Hz stereo MP3 → 22050 Hz mono".
std::string Done(const CAudioFile& a_File, bool a_Accepted, double a_Seconds, double a_Gain) {
    std::string done = Tenths(a_Seconds) + " s  ";
    if (a_Accepted)
        return done + "already in the accepted format (" + a_File.Description() + ")";
    done += a_File.Description() + " → " + std::to_string(CWave::c_sample_rate) + " Hz mono";
    // Less than a twentieth of a decibel would read "0.0 dB": not worth a word.
    double lowered = -20.0 * std::log10(a_Gain);
    if (lowered >= 0.05)
        done += ", level lowered " + Tenths(lowered) + " dB to avoid clipping";
    return done;
}
} // namespace

bool CImporter::Import(const std::string& a_File) {
    std::string name = ImportName(a_File), target = m_Dir + "/" + name + ".wav", why;
    std::optional<std::string> done;
    if (CheckName(name, target, why))
        done = Convert(a_File, target, why);
    if (done)
        m_Out << Printable(name) << "  " << *done << std::endl;
    else
        m_Err << "quillanectl: " << Printable(a_File) << " not imported: " << Printable(why)
              << std::endl;
    return done.has_value();
}

bool CImporter::CheckName(const std::string& a_Name, const std::string& a_Target,
                          std::string& a_Why) const {
    struct stat st {};
    if (a_Name.empty())
        return Fail(a_Why, "its file name is empty");
    if (m_Force)
        return true;
    if (CSoundLibrary::IsTimeFile(a_Name))
        return Fail(a_Why, "the name " + a_Name +
                               " would make it a time sound (names starting with cdhour or cdnum "
                               "are spoken times): rename the file, or use --force if it is one");
    if (::lstat(a_Target.c_str(), &st) == 0)
        return Fail(a_Why, a_Name + ".wav is already in " + m_Dir + ": use --force to replace it");
    return true;
}

// Returns what was done, as Done() says it.
std::optional<std::string> CImporter::Convert(const std::string& a_File,
                                              const std::string& a_Target,
                                              std::string& a_Why) const {
    CAudioFile file(a_File);
    std::optional<CMonoSound> sound = file.ReadMono(a_Why);
    // Asked only of a file that was read (a FIFO would block), before a_Target may replace it.
    bool accepted = sound && CWave(a_File).isValid();
    if (sound)
        sound = sound->AtRecordingRate(a_Why);
    if (!sound)
        return std::nullopt;
    double gain = sound->KeepBelowFullScale();
    if (!CWaveFile::Write(a_Target, *sound, a_Why))
        return std::nullopt;
    return Done(file, accepted, sound->Seconds(), gain);
}
