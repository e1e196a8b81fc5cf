#ifndef QUILLANE_CHECKTEXT_H
#define QUILLANE_CHECKTEXT_H

#include "check/CheckReport.h"

#include <iostream>

// The check report for a person.
class CCheckText {
public:
    static void Write(const CCheckReport& a_Report, std::ostream& a_Out);

private:
    static void WriteChains(const CCheckReport& a_Report, std::ostream& a_Out);
    static void WriteChain(const CChainInfo& a_Chain, std::ostream& a_Out);
    static void WriteFindings(const CCheckReport& a_Report, std::ostream& a_Out);
    static void WriteVerdict(const CCheckReport& a_Report, std::ostream& a_Out);
};

#endif
