#include "Announcer.h"
#include "MediaFinder.h"
#include "RealPlatform.h"

#include <iostream>
#include <string>

// Exit statuses: 255 when the mount table cannot be read, 1 when the schedule cannot be
// loaded; otherwise the announcer runs until it is stopped.
int main() {
    std::cout << "Quillane is initialising" << std::endl;
    CRealPlatform platform(std::cout);
    std::string dir;
    if (!CMediaFinder(platform, std::cout).FindDir(dir))
        return 255;
    return CAnnouncer(platform, std::cout).Run(dir);
}
