// A stand-in for aplay that notes when it began: the wall-clock time, first thing in main,
// appended to the file $QUILLANE_BENCH_STARTS as "seconds nanoseconds". It plays nothing.
#include <cstdio>
#include <cstdlib>
#include <ctime>

int main() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const char* path = std::getenv("QUILLANE_BENCH_STARTS");
    std::FILE* starts = path ? std::fopen(path, "a") : nullptr;
    if (!starts)
        return 1;
    std::fprintf(starts, "%lld %ld\n", static_cast<long long>(now.tv_sec), now.tv_nsec);
    return std::fclose(starts) == 0 ? 0 : 1;
}
