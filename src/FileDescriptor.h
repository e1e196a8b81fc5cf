#ifndef QUILLANE_FILEDESCRIPTOR_H
#define QUILLANE_FILEDESCRIPTOR_H

#include <fcntl.h>
#include <string>
#include <unistd.h>

// Owns a file opened for reading from a stick, or any descriptor handed over; closed on every
// path.
class CFileDescriptor {
public:
    // Non-blocking, so that a FIFO or a terminal in a file's place cannot stall the announcer.
    explicit CFileDescriptor(const std::string& a_Path)
        : m_Fd(::open(a_Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {}
    explicit CFileDescriptor(int a_Fd) : m_Fd(a_Fd) {}
    ~CFileDescriptor() {
        if (m_Fd >= 0)
            ::close(m_Fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_Fd; }

private:
    int m_Fd;
};

#endif
