#ifndef QUILLANE_BENCH_H
#define QUILLANE_BENCH_H

#include "TestSupport.h"

#include <string>
#include <vector>

// a_Dirs directories of a_PerDir recordings each below a_Rel in a_Dir; with a_HardLinks they are
// links of one file, so a medium of any size costs one file's space.
void MakeCatalogueMedium(const CTempDir& a_Dir, const std::string& a_Rel, int a_Dirs, int a_PerDir,
                         bool a_HardLinks);
double Median(std::vector<double> a_Values);

struct CatalogueFigures {
    double m_LibraryMs = 0;
    double m_BareWalkMs = 0;
    std::size_t m_Catalogued = 0;
};
CatalogueFigures MeasureCatalogue(const std::string& a_Root, int a_Rounds);

struct LatencyFigures {
    std::vector<double> m_LateMs; // one per announcement, actual start less planned start
};
// With a_LeadIn (M:SS.T), the player is to start that much before each chain.
LatencyFigures MeasureStartLatency(const CTempDir& a_Dir, const std::string& a_Rel,
                                   int a_Announcements, const std::string& a_LeadIn = "");

// Seconds the catalogue of a_Root takes to build, and how many recordings it holds.
double CatalogueSecs(const std::string& a_Root, std::size_t& a_Catalogued);

// Peak resident memory, in KiB, of a child process that catalogues a_Root and exits.
long MeasurePeakKiB(const std::string& a_Self, const std::string& a_Root);
// The child's side: catalogue a_Root, print the count; the process's exit status.
int CatalogueOnly(const std::string& a_Root);

#endif
