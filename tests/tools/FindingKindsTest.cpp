#include "check/FindingKinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

// The README lists every kind of finding, with an example and whether it changes play, exactly
// as check's table defines them, so the two cannot drift apart.
TEST(FindingKindsTest, TheReadmeListsEveryKindAsCheckDefinesIt) {
    std::ifstream readme(QUILLANE_README);
    ASSERT_TRUE(readme) << QUILLANE_README;
    std::vector<std::string> listed, defined;
    std::string line;
    while (std::getline(readme, line) && line != "| kind | for example | changes play |") {
    }
    std::getline(readme, line); // the line under the heads
    while (std::getline(readme, line) && line.rfind("|", 0) == 0)
        listed.push_back(line);
    for (const CFindingKind& kind : c_FindingKinds)
        defined.push_back("| `" + std::string(kind.m_Word) + "` | " + kind.m_Example + " | " +
                          kind.m_PlayWords + " |");
    EXPECT_EQ(listed.size(), defined.size());
    for (std::size_t i = 0; i < std::min(listed.size(), defined.size()); ++i)
        EXPECT_EQ(listed[i], defined[i]);
}
