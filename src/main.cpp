#include "Announcer.h"
#include "CommandLine.h"
#include "RealPlatform.h"

#include <iostream>

// Exit statuses: 2 on a usage error, 255 when the mount table cannot be read, 1 when a stick's
// schedule cannot be loaded; otherwise the announcer runs until it is stopped.
int main(int argc, char* argv[]) {
    int status = 0;
    if (!CCommandLine(std::cout, std::cerr).Accept(argc, argv, status))
        return status;
    std::cout << "Quillane is initialising" << std::endl;
    CRealPlatform platform(std::cout);
    return CAnnouncer(platform, std::cout).Run();
}
