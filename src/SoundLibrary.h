#ifndef QUILLANE_SOUNDLIBRARY_H
#define QUILLANE_SOUNDLIBRARY_H

#include <map>
#include <string>

// What the catalogue tells a tool that explains a stick, as it is built: each file it leaves out
// and why. The announcer itself listens to none of it.
class CLibraryObserver {
public:
    enum class ELeftOut {
        Refused,    // a_Detail: the WAV reader's message
        ZeroLength, // it holds no samples
        ShortName,  // its name gives no sound name (a_SoundName is empty)
        Replaced,   // a_Path gives the same sound as a_Detail, which it displaces
    };

    virtual ~CLibraryObserver() = default;
    virtual void LeftOut(ELeftOut a_Why, const std::string& a_Path, const std::string& a_SoundName,
                         const std::string& a_Detail) = 0;
};

// The catalogue of every playable recording under the schedule directory, built once.
class CSoundLibrary {
public:
    // Walks a_Dir; a_Observer, when given, hears of every file left out.
    explicit CSoundLibrary(std::string a_Dir, CLibraryObserver* a_Observer = nullptr);
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

    static bool IsTimeFile(const std::string& a_Name);
    // The base name less its last four characters; empty when the base name is too short.
    static std::string SoundName(const std::string& a_File);

private:
    float GetDuration(const std::string& a_File, const std::string& a_Name);
    void Store(const std::string& a_File, const std::string& a_Name, float a_Duration);
    void Note(CLibraryObserver::ELeftOut a_Why, const std::string& a_Path,
              const std::string& a_Name, const std::string& a_Detail = "");

    std::map<std::string, float> m_TimeSndDurations;
    std::map<std::string, float> m_AnnouncementDurations;
    std::map<std::string, std::string> m_TimeSndFiles;
    std::map<std::string, std::string> m_AnnouncementFiles;
    CLibraryObserver* m_Observer;
};

// The one library while it exists, null otherwise.
extern CSoundLibrary* gSoundLibrary;

#endif
