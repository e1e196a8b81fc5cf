// What the page's script calls: the stick's files are in the module's file system, the
// answers come back as plain objects.
#include "Studio.h"

#include <emscripten/bind.h>

EMSCRIPTEN_BINDINGS(quillane_studio) {
    emscripten::value_object<CStudio::CView>("View")
        .field("report", &CStudio::CView::m_Report)
        .field("status", &CStudio::CView::m_Status)
        .field("strictStatus", &CStudio::CView::m_StrictStatus)
        .field("plan", &CStudio::CView::m_Plan)
        .field("picture", &CStudio::CView::m_Picture);
    emscripten::function("look", &CStudio::Look);
    emscripten::function("headBytes", &CStudio::HeadBytes);
}
