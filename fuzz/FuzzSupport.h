#ifndef QUILLANE_FUZZSUPPORT_H
#define QUILLANE_FUZZSUPPORT_H

#include <cstdio>
#include <cstdlib>
#include <string>

// Stops the run as a finding, with the reason on stderr; libFuzzer keeps the input.
[[noreturn]] inline void FuzzFail(const std::string& a_Why) {
    std::fprintf(stderr, "FUZZ CHECK FAILED: %s\n", a_Why.c_str());
    std::abort();
}

#endif
