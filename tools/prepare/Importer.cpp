#include "prepare/Importer.h"

#include "Wave.h"
#include "prepare/AudioFile.h"
#include "prepare/StickFile.h"
#include "shared/ToolText.h"
#include "shared/WaveFile.h"

CImporter::CImporter(std::string a_Dir, bool a_Force, std::ostream& a_Out, std::ostream& a_Err)
    : m_Names(std::move(a_Dir), a_Force), m_Out(a_Out), m_Err(a_Err) {}

bool CImporter::NamesDistinct(const std::vector<std::string>& a_Files) const {
    std::vector<std::string> clashes = CImportNames::Clashes(a_Files);
    for (const std::string& clash : clashes)
        m_Err << "quillanectl: " << clash << std::endl;
    return clashes.empty();
}

bool CImporter::Import(const std::string& a_File) {
    std::string name = ImportName(a_File), target, why;
    std::optional<std::string> done;
    if (m_Names.Target(name, target, why))
        done = Convert(a_File, target, why);
    if (done)
        m_Out << m_Names.Imported(name, *done, target) << std::endl;
    else
        m_Err << CImportNames::NotImported(a_File, why) << std::endl;
    return done.has_value();
}

// Returns what was done, as CImportNames::Done says it.
std::optional<std::string> CImporter::Convert(const std::string& a_File,
                                              const std::string& a_Target,
                                              std::string& a_Why) const {
    // Made first, so that a directory that cannot be written in is known before converting.
    CStickFile place(a_Target);
    if (!place.isValid()) {
        a_Why = place.lastError();
        return std::nullopt;
    }
    CAudioFile file(a_File);
    std::optional<CMonoSound> sound = file.ReadAtRecordingRate(a_Why);
    // Asked only of a file that was read (a FIFO would block), before a_Target may replace it.
    bool accepted = sound && CWave(a_File).isValid();
    if (!sound)
        return std::nullopt;
    double gain = sound->KeepBelowFullScale();
    if (!place.Write(CWaveFile::Bytes(*sound), a_Why) || !place.Commit(a_Why))
        return std::nullopt;
    return CImportNames::Done(file.Description(), accepted, sound->Seconds(), gain);
}
