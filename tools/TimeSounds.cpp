#include "TimeSounds.h"

#include "Speech.h"
#include "TimeRecord.h"
#include "TimeWords.h"
#include "WaveFile.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

CTimeSounds::CTimeSounds(const CSpeech& a_Speech, const CTimeWords& a_Words) {
    for (const std::string& name : CTimeRecord::AllTitles()) {
        try {
            m_Sounds.emplace(name, a_Speech.Say(a_Words.For(name)));
        } catch (const std::runtime_error& e) {
            throw std::runtime_error("cannot make " + name + ": " + e.what());
        }
    }
}

void CTimeSounds::Write(const std::string& a_Dir) const {
    CWaveFile::MakeDir(a_Dir);
    for (const auto& [name, sound] : m_Sounds)
        CWaveFile::Write(a_Dir + "/" + name + ".wav", sound);
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
