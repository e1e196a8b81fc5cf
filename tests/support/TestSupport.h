#ifndef QUILLANE_TESTSUPPORT_H
#define QUILLANE_TESTSUPPORT_H

#include "TimeVal.h"

#include <string>

// Shared by the tests and the benchmarks. A fresh directory under $TMPDIR, removed with all in it.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::string& Path() const { return m_Path; }
    // Writes a_Bytes to a_Rel below the directory, creating its parents; returns the full path.
    std::string Write(const std::string& a_Rel, const std::string& a_Bytes) const;
    std::string WriteWav(const std::string& a_Rel, double a_Seconds) const;

private:
    std::string m_Path;
};

// The bytes of a playable recording of a_Seconds of silence.
std::string WavBytes(double a_Seconds);
std::string ReadFile(const std::string& a_Path);
// One record definition with every element written, and a schedule file around records.
std::string Rec(const std::string& a_Name, const std::string& a_Type, const std::string& a_Timing,
                bool a_After = false, const std::string& a_Finish = "0",
                const std::string& a_Offset = "0");
std::string ScheduleFile(const std::string& a_Records, const std::string& a_Frequency = "5:00");
// a_Record with <m_When>a_When</m_When> first inside it.
std::string When(const std::string& a_Record, const std::string& a_When);
// Every time sound, a_Seconds each, below a_Rel in a_Dir.
void WriteTimeSounds(const CTempDir& a_Dir, const std::string& a_Rel, double a_Seconds);
// a_Hour:a_Min:a_Sec local time on 14 March 2024.
CTimeVal At(int a_Hour, int a_Min, int a_Sec = 0, int a_MicroSecs = 0);
// A fixed instant: "2026-03-02 22:00", seconds and the UTC offset ("+02") optional.
CTimeVal Moment(const std::string& a_Text);

// Sets an environment variable for its lifetime; the time zone follows TZ at once.
class CScopedEnv {
public:
    CScopedEnv(const char* a_Name, const std::string& a_Value);
    ~CScopedEnv();

private:
    std::string m_Name, m_Old;
    bool m_Had;
};

#endif
