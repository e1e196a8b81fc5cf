#include "MountTable.h"

#include <fstream>
#include <sstream>

namespace {
// The four characters the table escapes (as getmntent undoes them); anything else stays.
char EscapedChar(const std::string& a_Code) {
    if (a_Code == "040")
        return ' ';
    if (a_Code == "011")
        return '\t';
    if (a_Code == "012")
        return '\n';
    if (a_Code == "134")
        return '\\';
    return '\0';
}
} // namespace

bool CMountTable::Read(const std::string& a_Path, std::vector<Mount>& a_Mounts) {
    std::ifstream table(a_Path);
    Mount mount;
    for (std::string line; table.is_open() && std::getline(table, line);)
        if (Parse(line, mount))
            a_Mounts.push_back(mount);
    // A table that opens but cannot be read (a directory, an I/O error) is as unreadable as a
    // missing one.
    return table.is_open() && !table.bad();
}

bool CMountTable::Parse(const std::string& a_Line, Mount& a_Mount) {
    std::istringstream words(a_Line);
    std::string device, point;
    if (!(words >> device >> point))
        return false;
    a_Mount = Mount{Decoded(device), Decoded(point)};
    return true;
}

std::string CMountTable::Decoded(const std::string& a_Field) {
    std::string decoded;
    for (std::size_t pos = 0; pos < a_Field.size(); ++pos) {
        char escaped = a_Field[pos] == '\\' ? EscapedChar(a_Field.substr(pos + 1, 3)) : '\0';
        decoded += escaped ? escaped : a_Field[pos];
        if (escaped)
            pos += 3;
    }
    return decoded;
}
