#ifndef QUILLANE_STICKFILE_H
#define QUILLANE_STICKFILE_H

#include <string>
#include <utility>
#include <vector>

// One file on its way onto a stick, so that a failure, a full or pulled stick or an interrupt
// (Ctrl-C, TERM, a closed terminal) never leaves half a file there: it is written to a
// temporary file beside its place, which is renamed into place once complete, and removed
// otherwise, by the signal's handler too.
class CStickFile {
public:
    // Paths and the bytes to write there.
    using Files = std::vector<std::pair<std::string, std::string>>;

    // Makes the temporary file beside a_Target at once, so that a directory that cannot be
    // written in is known before any work; isValid() and lastError() tell.
    explicit CStickFile(std::string a_Target);
    ~CStickFile();
    CStickFile(const CStickFile&) = delete;
    CStickFile& operator=(const CStickFile&) = delete;

    bool isValid() const { return m_LastError.empty(); }
    const std::string& lastError() const { return m_LastError; }
    // Writes a_Bytes to the temporary file, readable by everyone and on disk when it returns.
    bool Write(const std::string& a_Bytes, std::string& a_Why);
    // Renames the written file into place, replacing what was there.
    bool Commit(std::string& a_Why);

    // All of a_Files or none: refused before anything is written when their file system lacks
    // the room for all of them beside the files they replace; each is then written beside its
    // place, and only when every one is written are they renamed into place.
    static bool WriteAll(const Files& a_Files, std::string& a_Why);

private:
    void Forget();

    std::string m_Target;
    std::string m_Path; // the temporary file, while there is one
    int m_Fd = -1;
    std::string m_LastError;
};

#endif
