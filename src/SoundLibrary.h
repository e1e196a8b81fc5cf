#ifndef QUILLANE_SOUNDLIBRARY_H
#define QUILLANE_SOUNDLIBRARY_H

#include <map>
#include <string>
#include <vector>

// The catalogue of every playable recording under the schedule directory, built once.
class CSoundLibrary {
public:
    // Why a file was left out of the catalogue or displaced an earlier one; kept only on request.
    struct Finding {
        std::string m_Kind;      // "refused", "zero-length", "short-name" or "replaced"
        std::string m_Path;      // the file concerned ("replaced": the file that wins)
        std::string m_SoundName; // empty for "short-name"
        std::string m_Detail; // "refused": the reader's message; "replaced": the path it replaced
    };

    // Walks a_Dir; with a_Report the reasons behind every left-out file are kept in Findings().
    explicit CSoundLibrary(std::string a_Dir, bool a_Report = false);
    ~CSoundLibrary();
    CSoundLibrary(const CSoundLibrary&) = delete;
    CSoundLibrary& operator=(const CSoundLibrary&) = delete;

    std::string GetTimeSndFile(std::string a_Title) const;
    float GetTimeSndDuration(std::string a_Title) const;
    std::string GetAnnouncementFile(std::string a_Title) const;
    float GetAnnouncementDuration(std::string a_Title) const;

    void ProcessFile(std::string a_File);

    // Read-only views for tools that report on a medium.
    const std::map<std::string, std::string>& TimeSndFiles() const { return m_TimeSndFiles; }
    const std::map<std::string, std::string>& AnnouncementFiles() const {
        return m_AnnouncementFiles;
    }
    const std::vector<Finding>& Findings() const { return m_Findings; }

    static bool IsTimeFile(const std::string& a_Name);
    // The base name less its last four characters; empty when the base name is too short.
    static std::string SoundName(const std::string& a_File);

private:
    float GetDuration(const std::string& a_File, const std::string& a_Name);
    void Store(const std::string& a_File, const std::string& a_Name, float a_Duration);
    void Note(const char* a_Kind, const std::string& a_Path, const std::string& a_Name,
              const std::string& a_Detail);

    std::map<std::string, float> m_TimeSndDurations;
    std::map<std::string, float> m_AnnouncementDurations;
    std::map<std::string, std::string> m_TimeSndFiles;
    std::map<std::string, std::string> m_AnnouncementFiles;
    bool m_Report;
    std::vector<Finding> m_Findings;
};

// The one library while it exists, null otherwise.
extern CSoundLibrary* gSoundLibrary;

#endif
