#ifndef QUILLANE_TIMESOUNDS_H
#define QUILLANE_TIMESOUNDS_H

#include "prepare/StickFile.h"
#include "shared/MonoSound.h"

#include <map>
#include <optional>
#include <string>

class CSpeech;
class CTimeWords;

// Every time sound a spoken time can ask for, spoken in one voice and held in memory until
// all of them have been made, so that a failure leaves nothing half-done on the stick.
class CTimeSounds {
public:
    // Each spoken in a_Speech with its words; nothing, with a_Why naming the sound that
    // cannot be spoken.
    static std::optional<CTimeSounds> Speak(const CSpeech& a_Speech, const CTimeWords& a_Words,
                                            std::string& a_Why);

    // Each as a_Dir/NAME.wav, to be written with the other files of the command.
    void AddTo(const std::string& a_Dir, CStickFile::Files& a_Files) const;
    std::size_t Count() const { return m_Sounds.size(); }
    // How long the longest spoken time of the day lasts.
    double LongestTimeSecs() const;
    // The shortest and the longest, e.g. "0.4 to 1.2 s each".
    std::string Lengths() const;

private:
    CTimeSounds() = default;

    std::map<std::string, CMonoSound> m_Sounds;
};

#endif
