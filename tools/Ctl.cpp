#include "Ctl.h"

#include "Schedule.h"
#include "check/CheckJson.h"
#include "check/CheckText.h"
#include "check/StickCheck.h"
#include "plan/Planner.h"
#include "prepare/Importer.h"
#include "prepare/Speech.h"
#include "prepare/StarterStick.h"
#include "prepare/TimeSounds.h"
#include "prepare/TimeWords.h"
#include "run/Runner.h"
#include "shared/StickDir.h"
#include "shared/ToolText.h"
#include "shared/WaveFile.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <ctime>
#include <functional>
#include <map>

namespace {
const std::string c_DirHelp = std::string("schedule directory (holding ") + CSchedule::c_FileName +
                              "), or a mount point searched one level down as at start-up";
const char* const c_Footer =
    "Exit status: 0 done (check: the stick is usable, warnings allowed); 1 the schedule cannot "
    "be loaded or no schedule directory is found (check --strict: also a finding that changes "
    "what is played; run: also aplay cannot play on this PC; voice, import, init: something "
    "could not be made; every command: its output could not be written); 2 usage error.";
const char* const c_MakeFooter =
    "Exit status: 0 done; 1 something could not be made (a line says what and why; nothing of "
    "it is left half-written); 2 usage error.";
const char* const c_VoiceHelp = "an espeak-ng voice or language: en, en-us, de, fr, es ..., "
                                "with a +variant if you like: fr+f3 (default en)";
const char* const c_WordsHelp = "the words of each time sound, one NAME<TAB>WORDS per line, "
                                "for another language (default: English; voice --print-words "
                                "prints them to translate); time-is too, if you like";

bool TwoDigitsOrOne(const std::string& a_Text, std::size_t a_MinLength, int& a_Value) {
    if (a_Text.size() < a_MinLength || a_Text.size() > 2 ||
        !std::all_of(a_Text.begin(), a_Text.end(), [](char c) { return std::isdigit(c); }))
        return false;
    a_Value = std::stoi(a_Text);
    return true;
}

std::string OneLine(std::string a_Text) {
    std::replace(a_Text.begin(), a_Text.end(), '\n', ' ');
    while (!a_Text.empty() && a_Text.back() == ' ')
        a_Text.pop_back();
    return a_Text;
}

CLI::App* AddCommand(CLI::App& a_App, const char* a_Name, const char* a_Help, std::string& a_Dir) {
    CLI::App* command = a_App.add_subcommand(a_Name, a_Help);
    command->add_option("DIR", a_Dir, c_DirHelp)->required()->type_name("");
    command->footer(c_Footer);
    return command;
}
} // namespace

bool CCtl::ParseClock(const std::string& a_Text, int& a_Hour, int& a_Min, int& a_Sec) {
    std::size_t first = a_Text.find(':');
    std::size_t second = first == std::string::npos ? first : a_Text.find(':', first + 1);
    if (second == std::string::npos)
        return false;
    return TwoDigitsOrOne(a_Text.substr(0, first), 1, a_Hour) &&
           TwoDigitsOrOne(a_Text.substr(first + 1, second - first - 1), 2, a_Min) &&
           TwoDigitsOrOne(a_Text.substr(second + 1), 2, a_Sec) && a_Hour < 24 && a_Min < 60 &&
           a_Sec < 60;
}

bool CCtl::ParseAt(const std::string& a_Text, const CTimeVal& a_Today, CTimeVal& a_Start) {
    int hour = 0, min = 0, sec = 0;
    std::size_t blank = a_Text.find(' ');
    if (!ParseClock(a_Text.substr(blank == std::string::npos ? 0 : blank + 1), hour, min, sec))
        return false;
    if (blank == std::string::npos) {
        a_Start = TodayAt(a_Today, hour, min, sec);
        return true;
    }
    // YYYY-MM-DD: digits but for the two dashes.
    for (std::size_t i = 0; i < blank; ++i)
        if ((i == 4 || i == 7) != (a_Text[i] == '-') ||
            (i != 4 && i != 7 && !std::isdigit(static_cast<unsigned char>(a_Text[i]))))
            return false;
    if (blank != 10)
        return false;
    int year = std::stoi(a_Text.substr(0, 4)), month = std::stoi(a_Text.substr(5, 2)),
        day = std::stoi(a_Text.substr(8, 2));
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = 12; // a date that exists keeps its fields through mktime
    fields.tm_isdst = -1;
    std::time_t noon = std::mktime(&fields);
    if (noon == std::time_t(-1) || fields.tm_mon != month - 1 || fields.tm_mday != day)
        return false;
    a_Start = TodayAt(CTimeVal(timeval{noon, 0}), hour, min, sec);
    return true;
}

int CCtl::Main(int a_Argc, const char* const* a_Argv) {
    CLI::App app(
        "Checks a Quillane stick, previews its timetable, tries it on a PC and prepares one.",
        "quillanectl");
    app.require_subcommand(1);
    app.footer(c_Footer);
    CLI::App* check = AddCommand(app, "check", "Report what will not play as expected", m_Given);
    check->add_flag("--json", m_Json, "print the findings as one JSON document");
    check->add_flag("--strict", m_Strict, "exit with 1 also when a finding changes what is played");
    CLI::App* plan =
        AddCommand(app, "plan", "Print the next announcements, one line each", m_Given);
    AddPlanOptions(*plan);
    CLI::App* run = AddCommand(
        app, "run",
        "Run the announcer on DIR through aplay until Ctrl-C, one line per announcement", m_Given);
    run->add_option("--device", m_Run.m_Device,
                    "play on this sound device of aplay (aplay -L lists them); null plays "
                    "nothing, for a PC without a sound card")
        ->type_name("NAME");
    run->add_flag("--trace", m_Run.m_Trace,
                  "print the board's own lines, as on the board, instead of one per "
                  "announcement");
    AddPrepareCommands(app);
    try {
        app.parse(a_Argc, a_Argv);
    } catch (const CLI::ParseError& e) {
        return Written(ParseFailed(app, e, a_Argc, a_Argv));
    }
    return Written(Dispatch(app));
}

// Output that cannot be written in full (a full disk) fails the command, whatever it did.
int CCtl::Written(int a_Status) {
    m_Out.flush();
    if (m_Out)
        return a_Status;
    m_Err << "quillanectl: the output could not be written in full (is the disk full?)"
          << std::endl;
    return a_Status == c_Usable ? c_NotUsable : a_Status;
}

int CCtl::Dispatch(const CLI::App& a_App) {
    static const std::map<std::string, int (CCtl::*)()> c_Commands = {
        {"check", &CCtl::Check}, {"plan", &CCtl::Plan},     {"run", &CCtl::Run},
        {"voice", &CCtl::Voice}, {"import", &CCtl::Import}, {"init", &CCtl::Init}};
    return (this->*c_Commands.at(a_App.get_subcommands().front()->get_name()))();
}

void CCtl::AddPrepareCommands(CLI::App& a_App) {
    CLI::App* voice = a_App.add_subcommand(
        "voice", "Speak the 93 time sounds into DIR/times (and time-is, when --words gives it), "
                 "replacing all of them or none");
    voice->add_option("DIR", m_Given, "schedule directory (made when missing)")->type_name("");
    AddVoiceOptions(*voice);
    voice->add_flag("--print-words", m_PrintWords,
                    "print the English words as a words file to translate, and make nothing");
    voice->footer(c_MakeFooter);
    AddImport(a_App);
    AddInit(a_App);
}

void CCtl::AddImport(CLI::App& a_App) {
    CLI::App* import = a_App.add_subcommand(
        "import", "Convert recordings into announcements in DIR, the last argument");
    import->add_option("FILE", m_Paths, "the recordings (WAV, FLAC, Ogg, MP3 ...), then DIR")
        ->required()
        ->expected(2, CLI::detail::expected_max_vector_size)
        ->type_name("");
    import->add_flag("--force", m_Force,
                     "replace the recording of the same name (any letter case) where it lies on "
                     "the stick; allow a name starting with cdhour or cdnum");
    import->footer(c_MakeFooter);
}

void CCtl::AddInit(CLI::App& a_App) {
    CLI::App* init = a_App.add_subcommand("init", "Make a ready stick in STICK");
    init->add_option("STICK", m_Given, "where the stick is mounted (made when missing)")
        ->required()
        ->type_name("");
    auto interval = [](std::string& a_Text) {
        int secs;
        return CStarterStick::ParseInterval(a_Text, secs)
                   ? std::string()
                   : "not an interval M:SS that divides the hour, such as 5:00, 10:00, 15:00 or "
                     "30:00";
    };
    init->add_option("--interval", m_Interval,
                     "the interval, one that divides the hour and leaves room for the chime and "
                     "the spoken time (default 5:00)")
        ->type_name("M:SS")
        ->check(CLI::Validator(interval, ""));
    AddVoiceOptions(*init);
    init->add_flag("--force", m_Force,
                   "replace an existing schedule and the sounds init makes (all or none)");
    init->footer(c_MakeFooter);
}

void CCtl::AddVoiceOptions(CLI::App& a_Command) {
    a_Command.add_option("--voice", m_Voice.m_Name, c_VoiceHelp)->type_name("VOICE");
    a_Command.add_option("--words", m_Voice.m_WordsFile, c_WordsHelp)->type_name("FILE");
}

void CCtl::AddPlanOptions(CLI::App& a_Plan) {
    a_Plan
        .add_option("--at", m_At, "start at this local time today, or on this date (default: now)")
        ->type_name("[YYYY-MM-DD] HH:MM:SS")
        ->check(CLI::Validator(
            [](std::string& a_Text) {
                CTimeVal start;
                return ParseAt(a_Text, start, start)
                           ? std::string()
                           : "not a time of day HH:MM:SS, nor a date and time YYYY-MM-DD HH:MM:SS";
            },
            ""));
    a_Plan.add_option("--count", m_Count, "how many announcements, 1 to 1000000 (default 12)")
        ->type_name("N")
        ->check(CLI::Range(1L, 1000000L).description(""));
    a_Plan.add_flag("--json", m_Json,
                    "print the announcements as one JSON array, for scripts: each with its "
                    "start, key, sound names, missing sounds and spoken times");
    a_Plan
        .add_option("--svg", m_Svg,
                    "also draw the interval the start falls in as a picture in FILE (SVG): "
                    "each chain a bar, the announcements below; status 1 when it cannot be "
                    "written")
        ->type_name("FILE");
}

int CCtl::ParseFailed(const CLI::App& a_App, const CLI::ParseError& a_Error, int a_Argc,
                      const char* const* a_Argv) {
    if (a_Error.get_exit_code() == 0) // --help
        return a_App.exit(a_Error, m_Out, m_Err);
    std::string first = a_Argc > 1 ? a_Argv[1] : "";
    std::string what = a_Error.what();
    // The library reads an unknown command or option as a missing command.
    if (!first.empty() && a_App.get_subcommands().empty())
        what = (first[0] == '-' ? "unknown option " : "unknown command ") + Printable(first) +
               ": use check, plan, run, voice, import or init";
    m_Err << "quillanectl: " << OneLine(what) << " (see quillanectl --help)" << std::endl;
    return c_UsageError;
}

int CCtl::Check() {
    CCheckReport report = CStickCheck::Run(m_Given, CTimeVal());
    if (m_Json)
        CCheckJson::Write(report, m_Out);
    else
        CCheckText::Write(report, m_Out);
    m_Out.flush();
    return report.ExitStatus(m_Strict);
}

int CCtl::Plan() {
    std::string dir;
    if (!Resolve(dir))
        return c_NotUsable;
    CTimeVal now, start = now;
    if (!m_At.empty())
        ParseAt(m_At, now, start);
    return CPlanner::Run(dir, start, m_Count, m_Out, m_Err, m_Svg, m_Json);
}

int CCtl::Run() {
    std::string dir;
    if (!Resolve(dir))
        return c_NotUsable;
    return CRunner::Run(dir, m_Given, m_Run, m_Out, m_Err);
}

bool CCtl::Resolve(std::string& a_Dir) {
    std::string why;
    if (CStickDir::Resolve(m_Given, a_Dir, why))
        return true;
    m_Err << "quillanectl: " << Printable(why) << std::endl;
    return false;
}

int CCtl::Voice() {
    if (m_PrintWords)
        return CPrepareCommands(m_Out, m_Err).PrintWords();
    if (m_Given.empty()) {
        m_Err << "quillanectl: voice needs DIR, unless --print-words is given (see quillanectl "
                 "--help)"
              << std::endl;
        return c_UsageError;
    }
    return CPrepareCommands(m_Out, m_Err).Voice(m_Given, m_Voice);
}

int CCtl::Import() {
    return CPrepareCommands(m_Out, m_Err).Import(m_Paths, m_Force);
}

int CCtl::Init() {
    int secs = CStarterStick::c_DefaultIntervalSecs;
    CStarterStick::ParseInterval(m_Interval, secs);
    return CPrepareCommands(m_Out, m_Err).Init(m_Given, secs, m_Force, m_Voice);
}
