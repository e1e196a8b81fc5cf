#include "prepare/TimeSounds.h"

#include "TimeRecord.h"
#include "prepare/Speech.h"
#include "prepare/TimeWords.h"
#include "prepare/WaveFile.h"

#include <algorithm>
#include <cstdio>

std::optional<CTimeSounds> CTimeSounds::Speak(const CSpeech& a_Speech, const CTimeWords& a_Words,
                                              std::string& a_Why) {
    CTimeSounds sounds;
    for (const std::string& name : CTimeRecord::AllTitles()) {
        std::optional<CMonoSound> sound = a_Speech.Say(a_Words.For(name), a_Why);
        if (!sound) {
            a_Why = "cannot make " + name + ": " + a_Why;
            return std::nullopt;
        }
        sounds.m_Sounds.emplace(name, std::move(*sound));
    }
    return sounds;
}

bool CTimeSounds::Write(const std::string& a_Dir, std::string& a_Why) const {
    if (!CWaveFile::MakeDir(a_Dir, a_Why))
        return false;
    for (const auto& [name, sound] : m_Sounds)
        if (!CWaveFile::Write(a_Dir + "/" + name + ".wav", sound, a_Why))
            return false;
    return true;
}

std::string CTimeSounds::Lengths() const {
    auto shorter = [](const auto& a_Lhs, const auto& a_Rhs) {
        return a_Lhs.second.Seconds() < a_Rhs.second.Seconds();
    };
    auto [shortest, longest] = std::minmax_element(m_Sounds.begin(), m_Sounds.end(), shorter);
    char text[64];
    std::snprintf(text, sizeof text, "%.1f to %.1f s each", shortest->second.Seconds(),
                  longest->second.Seconds());
    return text;
}
