#ifndef QUILLANE_SPEECH_H
#define QUILLANE_SPEECH_H

#include "MonoSound.h"

#include <string>

// Speaks text with espeak-ng, through its library, in one of its voices.
class CSpeech {
public:
    // a_Voice is a voice name or a language as espeak-ng lists them (en, en-us, de, fr+f3 ...);
    // throws std::runtime_error when espeak-ng cannot start or has no such voice.
    explicit CSpeech(const std::string& a_Voice);

    // a_Text spoken at the recording rate, trimmed of the silence around it; throws
    // std::runtime_error when it makes no sound.
    CMonoSound Say(const std::string& a_Text) const;
    const std::string& Voice() const { return m_Voice; }

private:
    static int EngineRate();

    std::string m_Voice;
};

#endif
