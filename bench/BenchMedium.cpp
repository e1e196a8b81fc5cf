#include "Bench.h"

#include <algorithm>
#include <filesystem>

void MakeCatalogueMedium(const CTempDir& a_Dir, const std::string& a_Rel, int a_Dirs, int a_PerDir,
                         bool a_HardLinks) {
    std::string first;
    for (int n = 0; n < a_Dirs * a_PerDir; ++n) {
        std::string rel =
            a_Rel + "/set" + std::to_string(n / a_PerDir) + "/msg" + std::to_string(n) + ".wav";
        // 0.05 s each: the catalogue reads headers only, so the length hardly matters. A file
        // system allows some thousands of links to one file: each directory links its first.
        if (!a_HardLinks || n % a_PerDir == 0)
            first = a_Dir.WriteWav(rel, 0.05);
        else
            std::filesystem::create_hard_link(first, a_Dir.Path() + "/" + rel);
    }
}

double Median(std::vector<double> a_Values) {
    if (a_Values.empty())
        return 0;
    std::sort(a_Values.begin(), a_Values.end());
    std::size_t mid = a_Values.size() / 2;
    return a_Values.size() % 2 ? a_Values[mid] : (a_Values[mid - 1] + a_Values[mid]) / 2;
}
