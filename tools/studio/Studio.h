#ifndef QUILLANE_STUDIO_H
#define QUILLANE_STUDIO_H

#include <cstddef>
#include <string>
#include <vector>

// What the page shows of a stick held in its file system: check's report, and plan's next
// announcements with its picture, all for one moment, from the classes quillanectl runs.
class CStudio {
public:
    struct CView {
        std::string m_Report;   // as quillanectl check prints it
        int m_Status = 1;       // check's exit status: 0 usable, 1 not
        int m_StrictStatus = 1; // with --strict: 1 also when a finding changes what is played
        std::string m_Plan;     // as quillanectl plan prints it, or what stops it
        std::string m_Picture;  // as quillanectl plan --svg draws it; empty when it cannot
    };

    // The stick (its top, or the schedule directory) at a_Stick, at a_Secs since the epoch.
    static CView Look(const std::string& a_Stick, double a_Secs);
    // The bytes at the start of a recording that everything check reads of it lies in: all the
    // page needs to keep of one.
    static std::size_t HeadBytes();
    // Where the picture is drawn before it is read back.
    static const char* const c_PictureFile;

    // The schedule directory of the stick at a_Stick, as the board finds it; empty for none.
    static std::string ScheduleDir(const std::string& a_Stick);
    // The timetable of the schedule file a_File, as JSON (CTimetable's fields).
    static std::string Timetable(const std::string& a_File);
    // Writes the timetable a_Json into the schedule file a_File; what stops it, or empty.
    static std::string WriteTimetable(const std::string& a_File, const std::string& a_Json);
    // The timetable a_Json with the interval a_Interval, and the keys at the end of its old
    // interval moved to the end of the new one: JSON of "timetable" and "moved" (how many).
    static std::string MoveEndKeys(const std::string& a_Json, const std::string& a_Interval);

    // What import says of a_Files (JSON, a list of names) given together: a line for each
    // that gives the name of one before it.
    static std::string ImportClashes(const std::string& a_Files);
    // The name import gives a_File.
    static std::string ImportName(const std::string& a_File);
    // Where import puts the recording a_Name in a_Dir (a_Force: replacing one of that name):
    // JSON of "target", or of "refused", the line import prints for a_File.
    static std::string ImportTarget(const std::string& a_Dir, bool a_Force,
                                    const std::string& a_File);
    // a_Samples (mono, at the recording rate) written as a recording to c_RecordingFile, as
    // import writes a_File into a_Target; returns import's line for it. a_Description: what
    // the file was ("stereo MP3").
    static std::string Convert(const std::string& a_Dir, bool a_Force, const std::string& a_File,
                               const std::string& a_Target, const std::string& a_Description,
                               std::vector<float> a_Samples);
    // The starter schedule init writes, and its chime written to c_RecordingFile.
    static std::string StarterSchedule(int a_IntervalSecs);
    static void Chime();
    // Where a recording made in the page is written before it is read back.
    static const char* const c_RecordingFile;

private:
    static void Plan(const std::string& a_Stick, double a_Secs, CView& a_View);
};

#endif
