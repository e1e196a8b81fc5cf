#ifndef QUILLANE_BENCH_H
#define QUILLANE_BENCH_H

#include <string>
#include <vector>

// A fresh directory under $TMPDIR, removed with everything in it.
class CBenchDir {
public:
    CBenchDir();
    ~CBenchDir();
    CBenchDir(const CBenchDir&) = delete;
    CBenchDir& operator=(const CBenchDir&) = delete;
    const std::string& Path() const { return m_Path; }

private:
    std::string m_Path;
};

// A playable recording (PCM, mono, 16 bit, 22050 Hz) of a_Samples samples.
bool WriteWav(const std::string& a_Path, unsigned a_Samples);
// a_Dirs directories of a_PerDir recordings each, below a_Root.
bool MakeCatalogueMedium(const std::string& a_Root, int a_Dirs, int a_PerDir);
bool WriteText(const std::string& a_Path, const std::string& a_Text);
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
LatencyFigures MeasureStartLatency(const std::string& a_Dir, int a_Announcements);

// Peak resident memory, in KiB, of a child process that catalogues a_Root and exits.
long MeasurePeakKiB(const std::string& a_Self, const std::string& a_Root);
// The child's side: catalogue a_Root, print the count; the process's exit status.
int CatalogueOnly(const std::string& a_Root);

#endif
