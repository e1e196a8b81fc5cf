// quillanectl: check a stick, preview its timetable, try it on a PC.
#include "Ctl.h"

int main(int argc, char** argv) {
    return CCtl(std::cout, std::cerr).Main(argc, argv);
}
