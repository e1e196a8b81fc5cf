#ifndef QUILLANE_STUDIO_H
#define QUILLANE_STUDIO_H

#include <cstddef>
#include <string>

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

private:
    static void Plan(const std::string& a_Stick, double a_Secs, CView& a_View);
};

#endif
