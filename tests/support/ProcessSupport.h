#ifndef QUILLANE_PROCESSSUPPORT_H
#define QUILLANE_PROCESSSUPPORT_H

#include <string>
#include <vector>

// Runs a_Argv (the program searched on PATH) without a shell and waits for it. Returns its exit
// status, or -1 when it could not be started or did not exit normally. Its standard output is
// kept in *a_Out when given.
int RunProgram(const std::vector<std::string>& a_Argv, std::string* a_Out = nullptr);
// True when a_Name is an executable on PATH.
bool HaveProgram(const std::string& a_Name);

// Sets an environment variable (unsets it when a_Value is null) and restores it afterwards.
class CScopedEnv {
public:
    CScopedEnv(std::string a_Name, const char* a_Value);
    ~CScopedEnv();
    CScopedEnv(const CScopedEnv&) = delete;
    CScopedEnv& operator=(const CScopedEnv&) = delete;

private:
    std::string m_Name;
    bool m_HadValue;
    std::string m_OldValue;
};

// Changes the working directory and returns to the previous one afterwards.
class CScopedCwd {
public:
    explicit CScopedCwd(const std::string& a_Dir);
    ~CScopedCwd();
    CScopedCwd(const CScopedCwd&) = delete;
    CScopedCwd& operator=(const CScopedCwd&) = delete;

private:
    std::string m_Old;
};

// The names in a directory, sorted, without "." and "..".
std::vector<std::string> ListDir(const std::string& a_Dir);

#endif
