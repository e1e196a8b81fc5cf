#include "Importer.h"

#include "AudioFile.h"
#include "SoundLibrary.h"
#include "ToolText.h"
#include "Wave.h"
#include "WaveFile.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>

namespace {
std::string Tenths(double a_Value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", a_Value);
    return text;
}
} // namespace

std::string CImporter::NameFor(const std::string& a_File) {
    std::size_t slash = a_File.find_last_of('/');
    std::string base = slash == std::string::npos ? a_File : a_File.substr(slash + 1);
    std::size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

bool CImporter::Import(const std::string& a_File) {
    std::string name = NameFor(a_File);
    try {
        std::string target = m_Dir + "/" + name + ".wav";
        CheckName(name, target);
        std::string converted = Convert(a_File, target);
        m_Out << Printable(name) << "  " << converted << std::endl;
        return true;
    } catch (const std::exception& e) {
        m_Err << "quillanectl: " << Printable(a_File) << " not imported: " << Printable(e.what())
              << std::endl;
        return false;
    }
}

void CImporter::CheckName(const std::string& a_Name, const std::string& a_Target) const {
    struct stat st {};
    if (a_Name.empty())
        throw std::runtime_error("its file name is empty");
    if (m_Force)
        return;
    if (CSoundLibrary::IsTimeFile(a_Name))
        throw std::runtime_error("the name " + a_Name +
                                 " would make it a time sound (names "
                                 "starting with cdhour or cdnum are spoken times): rename the "
                                 "file, or use --force if it is one");
    if (::lstat(a_Target.c_str(), &st) == 0)
        throw std::runtime_error(a_Name + ".wav is already in " + m_Dir +
                                 ": use --force to replace it");
}

// Returns what was done, e.g. "3.2 s  44100 Hz stereo MP3 → 22050 Hz mono".
std::string CImporter::Convert(const std::string& a_File, const std::string& a_Target) {
    CAudioFile file(a_File);
    bool accepted = CWave(a_File).isValid();
    CMonoSound sound = file.ReadMono().AtRecordingRate();
    double gain = sound.KeepBelowFullScale();
    CWaveFile::Write(a_Target, sound);
    std::string done = Tenths(sound.Seconds()) + " s  ";
    if (accepted)
        return done + "already in the accepted format (" + file.Description() + ")";
    done += file.Description() + " → 22050 Hz mono";
    if (gain < 1.0)
        done += ", level lowered " + Tenths(-20.0 * std::log10(gain)) + " dB to avoid clipping";
    return done;
}
