#include "Studio.h"

#include "Schedule.h"
#include "Wave.h"
#include "check/CheckText.h"
#include "check/RefusedWave.h"
#include "check/StickCheck.h"
#include "edit/Timetable.h"
#include "plan/Planner.h"
#include "shared/ImportNames.h"
#include "shared/MonoSound.h"
#include "shared/StarterSchedule.h"
#include "shared/StickDir.h"
#include "shared/ToolText.h"
#include "shared/WaveFile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

const char* const CStudio::c_PictureFile = "/tmp/quillane-timetable.svg";
const char* const CStudio::c_RecordingFile = "/tmp/quillane-recording.wav";

namespace {
CTimeVal Moment(double a_Secs) {
    return CTimeVal(timeval{time_t(std::floor(a_Secs)), 0});
}

std::string ReadAll(const std::string& a_File) {
    std::ifstream file(a_File, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

bool WriteAll(const std::string& a_File, const std::string& a_Bytes) {
    std::ofstream file(a_File, std::ios::binary | std::ios::trunc);
    return bool(file << a_Bytes);
}

nlohmann::json ToJson(const CTimetable& a_Table) {
    nlohmann::json rows = nlohmann::json::array();
    for (const CTimetable::CRow& row : a_Table.m_Rows)
        rows.push_back({{"source", row.m_Source},
                        {"name", row.m_Name},
                        {"type", row.m_Type},
                        {"key", row.m_Key},
                        {"finish", row.m_Finish},
                        {"after", row.m_After},
                        {"offset", row.m_Offset},
                        {"when", row.m_When}});
    return {{"interval", a_Table.m_Interval}, {"quiet", a_Table.m_Quiet},
            {"leadIn", a_Table.m_LeadIn},     {"greeting", a_Table.m_Greeting},
            {"loads", a_Table.m_Loads},       {"rows", rows}};
}

// Strings the page sends may hold anything; a value of another kind is taken as empty.
CTimetable FromJson(const std::string& a_Json) {
    nlohmann::json json = nlohmann::json::parse(a_Json, nullptr, false);
    CTimetable table;
    if (!json.is_object())
        return table;
    table.m_Interval = json.value("interval", "");
    table.m_Quiet = json.value("quiet", "");
    table.m_LeadIn = json.value("leadIn", "");
    table.m_Greeting = json.value("greeting", "");
    table.m_Loads = json.value("loads", false);
    for (const nlohmann::json& row : json.value("rows", nlohmann::json::array())) {
        CTimetable::CRow read;
        read.m_Source = row.value("source", -1);
        read.m_Name = row.value("name", "");
        read.m_Type = row.value("type", "");
        read.m_Key = row.value("key", "");
        read.m_Finish = row.value("finish", false);
        read.m_After = row.value("after", false);
        read.m_Offset = row.value("offset", 0);
        read.m_When = row.value("when", "");
        table.m_Rows.push_back(read);
    }
    return table;
}
} // namespace

CStudio::CView CStudio::Look(const std::string& a_Stick, double a_Secs) {
    CView view;
    CCheckReport report = CStickCheck::Run(a_Stick, Moment(a_Secs));
    std::ostringstream text;
    CCheckText::Write(report, text);
    view.m_Report = text.str();
    view.m_Status = report.ExitStatus(false);
    view.m_StrictStatus = report.ExitStatus(true);
    Plan(a_Stick, a_Secs, view);
    return view;
}

// As quillanectl plan STICK --svg FILE: its lines, and its complaints where it prints nothing.
void CStudio::Plan(const std::string& a_Stick, double a_Secs, CView& a_View) {
    std::string dir, why;
    if (!CStickDir::Resolve(a_Stick, dir, why)) {
        a_View.m_Plan = "quillanectl: " + Printable(why) + "\n";
        return;
    }
    std::remove(c_PictureFile);
    std::ostringstream out, err;
    int status =
        CPlanner::Run(dir, Moment(a_Secs), CPlanner::c_DefaultCount, out, err, c_PictureFile);
    a_View.m_Plan = out.str() + err.str();
    std::ifstream picture(c_PictureFile, std::ios::binary);
    if (status == 0 && picture)
        a_View.m_Picture.assign(std::istreambuf_iterator<char>(picture), {});
}

std::size_t CStudio::HeadBytes() {
    return std::max(CWave::c_HeaderBytes, CRefusedWave::c_ChunkBytes);
}

std::string CStudio::ScheduleDir(const std::string& a_Stick) {
    std::string dir, why;
    return CStickDir::Resolve(a_Stick, dir, why) ? dir : "";
}

std::string CStudio::Timetable(const std::string& a_File) {
    return ToJson(CTimetable::Read(ReadAll(a_File))).dump();
}

std::string CStudio::WriteTimetable(const std::string& a_File, const std::string& a_Json) {
    std::string text = ReadAll(a_File), why;
    if (!FromJson(a_Json).WriteInto(text, why))
        return why;
    return WriteAll(a_File, text) ? "" : "the schedule could not be written in the page";
}

std::string CStudio::MoveEndKeys(const std::string& a_Json, const std::string& a_Interval) {
    CTimetable table = FromJson(a_Json);
    int from = 0, to = 0;
    std::size_t moved = 0;
    if (CSchedule::ParseFrequency(table.m_Interval, from) &&
        CSchedule::ParseFrequency(a_Interval, to) && from > 0 && to > 0 && from != to)
        moved = table.MoveKeys(float(from), float(to));
    table.m_Interval = a_Interval;
    return nlohmann::json{{"timetable", ToJson(table)}, {"moved", moved}}.dump();
}

std::string CStudio::ImportClashes(const std::string& a_Files) {
    nlohmann::json files = nlohmann::json::parse(a_Files, nullptr, false);
    std::vector<std::string> names;
    for (const nlohmann::json& file : files.is_array() ? files : nlohmann::json::array())
        names.push_back(file.is_string() ? file.get<std::string>() : "");
    nlohmann::json lines = nlohmann::json::array();
    for (const std::string& clash : CImportNames::Clashes(names))
        lines.push_back("quillanectl: " + clash);
    return lines.dump();
}

std::string CStudio::ImportName(const std::string& a_File) {
    return ::ImportName(a_File);
}

std::string CStudio::ImportTarget(const std::string& a_Dir, bool a_Force,
                                  const std::string& a_File) {
    std::string target, why;
    if (!CImportNames(a_Dir, a_Force).Target(::ImportName(a_File), target, why))
        return nlohmann::json{{"refused", CImportNames::NotImported(a_File, why)}}.dump();
    return nlohmann::json{{"target", target}}.dump();
}

std::string CStudio::Convert(const std::string& a_Dir, bool a_Force, const std::string& a_File,
                             const std::string& a_Target, const std::string& a_Description,
                             std::vector<float> a_Samples) {
    CMonoSound sound(std::move(a_Samples), int(CWave::c_sample_rate));
    double gain = sound.KeepBelowFullScale();
    if (!WriteAll(c_RecordingFile, CWaveFile::Bytes(sound)))
        return CImportNames::NotImported(a_File, "it could not be written in the page");
    std::string done = CImportNames::Done(a_Description, false, sound.Seconds(), gain);
    return CImportNames(a_Dir, a_Force).Imported(::ImportName(a_File), done, a_Target);
}

std::string CStudio::StarterSchedule(int a_IntervalSecs) {
    return CStarterSchedule::Text(a_IntervalSecs);
}

void CStudio::Chime() {
    WriteAll(c_RecordingFile, CWaveFile::Bytes(CStarterSchedule::Chime()));
}
