#ifndef QUILLANE_CTL_H
#define QUILLANE_CTL_H

#include "TimeVal.h"
#include "plan/Planner.h"
#include "prepare/PrepareCommands.h"
#include "run/Runner.h"

#include <iostream>
#include <string>
#include <vector>

namespace CLI {
class App;
class ParseError;
} // namespace CLI

// quillanectl's command line: check, plan and run over a stick's schedule directory; voice,
// import and init to prepare one.
class CCtl {
public:
    static constexpr int c_Usable = 0;
    static constexpr int c_NotUsable = 1;
    static constexpr int c_UsageError = 2;

    CCtl(std::ostream& a_Out, std::ostream& a_Err) : m_Out(a_Out), m_Err(a_Err) {}

    // Parses the arguments, runs the command and returns the exit status.
    int Main(int a_Argc, const char* const* a_Argv);

    // HH:MM:SS (or H:MM:SS), a time of day.
    static bool ParseClock(const std::string& a_Text, int& a_Hour, int& a_Min, int& a_Sec);
    // plan --at: a time of day on a_Today's date, or YYYY-MM-DD HH:MM:SS, a local time.
    static bool ParseAt(const std::string& a_Text, const CTimeVal& a_Today, CTimeVal& a_Start);

private:
    void AddPlanOptions(CLI::App& a_Plan);
    void AddPrepareCommands(CLI::App& a_App);
    void AddImport(CLI::App& a_App);
    void AddInit(CLI::App& a_App);
    void AddVoiceOptions(CLI::App& a_Command);
    int Dispatch(const CLI::App& a_App);
    int Written(int a_Status);
    int ParseFailed(const CLI::App& a_App, const CLI::ParseError& a_Error, int a_Argc,
                    const char* const* a_Argv);
    int Check();
    int Plan();
    int Run();
    int Voice();
    int Import();
    int Init();
    bool Resolve(std::string& a_Dir);

    std::ostream& m_Out;
    std::ostream& m_Err;
    std::string m_Given;
    bool m_Json = false;
    bool m_Strict = false;
    std::string m_At;
    long m_Count = CPlanner::c_DefaultCount;
    std::string m_Svg;
    CPrepareCommands::CVoice m_Voice;
    std::vector<std::string> m_Paths;
    std::string m_Interval = "5:00";
    bool m_Force = false;
    bool m_PrintWords = false;
    CRunner::COptions m_Run;
};

#endif
