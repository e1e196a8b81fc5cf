#ifndef QUILLANE_REFUSEDWAVE_H
#define QUILLANE_REFUSEDWAVE_H

#include <cstddef>
#include <string>
#include <vector>

// A WAV file the board refuses, described in a person's words: what the file is, and the
// import command that turns it into a recording the board plays.
class CRefusedWave {
public:
    // The bytes at the start of the file in which the chunks are looked at.
    static constexpr std::size_t c_ChunkBytes = 512;

    explicit CRefusedWave(std::string a_Path);

    // What the file is where the board needs something else, e.g. "it is stereo (2 channels),
    // 44100 Hz"; empty when none of that is known (a damaged header).
    std::string What() const;
    // Whether import can read the sound in it: a WAV file whose header names its channels and
    // rate, or another kind of recording import reads (FLAC, Ogg, MP3, AIFF).
    bool Convertible() const { return m_Convertible; }
    // The command that replaces the file by a playable recording of the same name.
    std::string ImportCommand() const;
    // a_Text in single quotes for a POSIX shell.
    static std::string ShellQuoted(const std::string& a_Text);

private:
    void DescribeChunks(const unsigned char* a_Head, std::size_t a_Size);
    void DescribeFormat(const unsigned char* a_Fmt, std::size_t a_Size);

    std::string m_Path;
    std::vector<std::string> m_Traits; // each follows "it is"
    std::string m_Chunk;               // a chunk where the board needs none
    bool m_Convertible = false;
};

#endif
