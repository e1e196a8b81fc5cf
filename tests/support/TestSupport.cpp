#include "TestSupport.h"

#include "TimeRecord.h"
#include "Wave.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

CTempDir::CTempDir() : m_Path((fs::temp_directory_path() / "quillane-test-XXXXXX").string()) {
    if (!::mkdtemp(m_Path.data()))
        throw std::runtime_error("cannot create " + m_Path);
}

CTempDir::~CTempDir() {
    std::error_code ignored;
    fs::remove_all(m_Path, ignored);
}

std::string CTempDir::Write(const std::string& a_Rel, const std::string& a_Bytes) const {
    fs::path path = fs::path(m_Path) / a_Rel;
    fs::create_directories(path.parent_path());
    if (!(std::ofstream(path, std::ios::binary) << a_Bytes))
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

std::string CTempDir::WriteWav(const std::string& a_Rel, double a_Seconds) const {
    return Write(a_Rel, WavBytes(a_Seconds));
}

std::string WavBytes(double a_Seconds) {
    auto bytes = 2 * static_cast<CWave::DWORD>(a_Seconds * 22050.0 + 0.5);
    return CWave::headerFor(bytes) + std::string(bytes, '\0');
}

std::string ReadFile(const std::string& a_Path) {
    std::ostringstream text;
    text << std::ifstream(a_Path, std::ios::binary).rdbuf();
    return text.str();
}

std::string Rec(const std::string& a_Name, const std::string& a_Type, const std::string& a_Timing,
                bool a_After, const std::string& a_Finish, const std::string& a_Offset) {
    return "<Record><m_Name>" + a_Name + "</m_Name><Type>" + a_Type + "</Type><m_TimingTime>" +
           a_Timing + "</m_TimingTime><m_FinishAtTime>" + a_Finish +
           "</m_FinishAtTime><m_AfterMsg>" + (a_After ? "1" : "0") + "</m_AfterMsg><m_OffsetTime>" +
           a_Offset + "</m_OffsetTime></Record>\n";
}

std::string ScheduleFile(const std::string& a_Records, const std::string& a_Frequency) {
    return "<m_Frequency>" + a_Frequency + "</m_Frequency>\n<Records>\n" + a_Records +
           "</Records>\n";
}

std::string When(const std::string& a_Record, const std::string& a_When) {
    return "<Record><m_When>" + a_When + "</m_When>" +
           a_Record.substr(std::string("<Record>").size());
}

void WriteTimeSounds(const CTempDir& a_Dir, const std::string& a_Rel, double a_Seconds) {
    for (const std::string& name : CTimeRecord::AllTitles())
        a_Dir.WriteWav(a_Rel + "/" + name + ".wav", a_Seconds);
}

CTimeVal At(int a_Hour, int a_Min, int a_Sec, int a_MicroSecs) {
    std::tm fields{a_Sec, a_Min, a_Hour, 14, 2, 124, 0, 0, -1, 0, nullptr};
    return CTimeVal(timeval{std::mktime(&fields), a_MicroSecs});
}

CTimeVal Moment(const std::string& a_Text) {
    std::tm fields{};
    int year = 0, month = 0;
    std::sscanf(a_Text.c_str(), "%d-%d-%d %d:%d:%d", &year, &month, &fields.tm_mday,
                &fields.tm_hour, &fields.tm_min, &fields.tm_sec);
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    std::size_t plus = a_Text.find('+');
    timeval time{timegm(&fields), 0};
    time.tv_sec -= plus == std::string::npos ? 0 : std::stoi(a_Text.substr(plus + 1)) * 3600;
    return CTimeVal(time);
}

CScopedEnv::CScopedEnv(const char* a_Name, const std::string& a_Value) : m_Name(a_Name) {
    m_Had = std::getenv(a_Name) != nullptr;
    m_Old = m_Had ? std::getenv(a_Name) : "";
    ::setenv(a_Name, a_Value.c_str(), 1);
    tzset();
}

CScopedEnv::~CScopedEnv() {
    m_Had ? ::setenv(m_Name.c_str(), m_Old.c_str(), 1) : ::unsetenv(m_Name.c_str());
    tzset();
}
