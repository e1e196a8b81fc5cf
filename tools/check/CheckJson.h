#ifndef QUILLANE_CHECKJSON_H
#define QUILLANE_CHECKJSON_H

#include "check/CheckReport.h"

#include <iostream>

// The check report as one JSON document, for scripts.
class CCheckJson {
public:
    static void Write(const CCheckReport& a_Report, std::ostream& a_Out);
};

#endif
