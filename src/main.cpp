#include "Announcer.h"
#include "RealPlatform.h"

#include <iostream>

// Exit statuses: 255 when the mount table cannot be read, 1 when a stick's schedule cannot be
// loaded; otherwise the announcer runs until it is stopped.
int main() {
    std::cout << "Quillane is initialising" << std::endl;
    CRealPlatform platform(std::cout);
    return CAnnouncer(platform, std::cout).Run();
}
