#ifndef QUILLANE_MOUNTTABLE_H
#define QUILLANE_MOUNTTABLE_H

#include <string>
#include <vector>

// The mount table as the kernel writes it (/proc/mounts): a line per mount, its first two
// fields the device and the mount point, in which a blank, a tab, a line end and a backslash
// stand as the octal escapes \040, \011, \012 and \134.
class CMountTable {
public:
    // Where the kernel gives it.
    static constexpr const char* c_Path = "/proc/mounts";

    struct Mount {
        std::string m_Device;
        std::string m_Point;
    };

    // Every mount in a_Path, in table order; false when it cannot be opened or read through.
    static bool Read(const std::string& a_Path, std::vector<Mount>& a_Mounts);
    // One line's mount, escapes decoded; false for a line of fewer than two fields.
    static bool Parse(const std::string& a_Line, Mount& a_Mount);

private:
    static std::string Decoded(const std::string& a_Field);
};

#endif
