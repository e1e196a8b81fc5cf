// What the page's script calls: the stick's files are in the module's file system, the
// answers come back as plain objects.
#include "Studio.h"
#include "Wave.h"
#include "shared/ImportNames.h"
#include "shared/StarterSchedule.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

namespace {
// The samples of a Float32Array.
std::string Convert(const std::string& a_Dir, bool a_Force, const std::string& a_File,
                    const std::string& a_Target, const std::string& a_Description,
                    const emscripten::val& a_Samples) {
    return CStudio::Convert(a_Dir, a_Force, a_File, a_Target, a_Description,
                            emscripten::convertJSArrayToNumberVector<float>(a_Samples));
}
} // namespace

EMSCRIPTEN_BINDINGS(quillane_studio) {
    emscripten::value_object<CStudio::CView>("View")
        .field("report", &CStudio::CView::m_Report)
        .field("status", &CStudio::CView::m_Status)
        .field("strictStatus", &CStudio::CView::m_StrictStatus)
        .field("plan", &CStudio::CView::m_Plan)
        .field("picture", &CStudio::CView::m_Picture);
    emscripten::function("look", &CStudio::Look);
    emscripten::function("headBytes", &CStudio::HeadBytes);
    emscripten::function("scheduleDir", &CStudio::ScheduleDir);
    emscripten::function("timetable", &CStudio::Timetable);
    emscripten::function("writeTimetable", &CStudio::WriteTimetable);
    emscripten::function("moveEndKeys", &CStudio::MoveEndKeys);
    emscripten::function("importClashes", &CStudio::ImportClashes);
    emscripten::function("importName", &CStudio::ImportName);
    emscripten::function("importTarget", &CStudio::ImportTarget);
    emscripten::function("convert", &Convert);
    emscripten::function("notImported", &CImportNames::NotImported);
    emscripten::function("starterSchedule", &CStudio::StarterSchedule);
    emscripten::function("chime", &CStudio::Chime);
    emscripten::constant("recordingFile", std::string(CStudio::c_RecordingFile));
    emscripten::constant("recordingRate", static_cast<int>(CWave::c_sample_rate));
    emscripten::constant("starterDir", std::string(CStarterSchedule::c_DirName));
    emscripten::constant("starterIntervalSecs", CStarterSchedule::c_DefaultIntervalSecs);
}
