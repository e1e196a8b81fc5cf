#include "prepare/TimeSounds.h"

#include "TimeRecord.h"
#include "prepare/Speech.h"
#include "prepare/TimeWords.h"
#include "shared/WaveFile.h"

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

void CTimeSounds::AddTo(const std::string& a_Dir, CStickFile::Files& a_Files) const {
    for (const auto& [name, sound] : m_Sounds)
        a_Files.emplace_back(a_Dir + "/" + name + ".wav", CWaveFile::Bytes(sound));
}

double CTimeSounds::LongestTimeSecs() const {
    // 1440 minutes in a row pass through every minute of the day.
    CTimeRecord clock("", 0);
    double longest = 0;
    for (time_t minute = 0; minute < 24 * 60; ++minute) {
        double secs = 0;
        for (const std::string& name : clock.TitlesForTime(CTimeVal(timeval{minute * 60, 0})))
            secs += m_Sounds.at(name).Seconds();
        longest = std::max(longest, secs);
    }
    return longest;
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
