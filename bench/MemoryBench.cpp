#include "Bench.h"

#include "SoundLibrary.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

long MeasurePeakKiB(const std::string& a_Self, const std::string& a_Root) {
    // A child of its own, so the figure is the announcer's footprint and not the benchmark's.
    pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        ::execl(a_Self.c_str(), a_Self.c_str(), "--catalogue-only", a_Root.c_str(), nullptr);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

int CatalogueOnly(const std::string& a_Root) {
    CSoundLibrary lib(a_Root);
    return 0;
}
