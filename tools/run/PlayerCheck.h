#ifndef QUILLANE_PLAYERCHECK_H
#define QUILLANE_PLAYERCHECK_H

#include <string>
#include <vector>

// Whether aplay can play on this PC: asked to play an empty stream, it opens the sound output
// and ends at once, without a sound.
class CPlayerCheck {
public:
    static constexpr int c_TimeoutSecs = 5;
    enum class EResult { Plays, Missing, Fails };

    // On a_Device, or the default sound output when it is empty. Unless it plays, a_Why says
    // why in plain words: aplay is missing, or its own last message, or it did not end within
    // c_TimeoutSecs.
    static EResult Check(const std::string& a_Device, std::string& a_Why);
    // What aplay gets before the files for a_Device: -D DEVICE, or nothing.
    static std::vector<std::string> Options(const std::string& a_Device);

private:
    static bool Collect(int a_Fd, int a_Pid, std::string& a_Text, int& a_Status);
};

#endif
