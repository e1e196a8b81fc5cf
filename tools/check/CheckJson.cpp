#include "check/CheckJson.h"

#include "shared/ToolText.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace {
using CJson = nlohmann::ordered_json;

// Keys and durations are single precision: rounded to milliseconds they print as written.
double Rounded(float a_Value) {
    return std::round(double(a_Value) * 1000.0) / 1000.0;
}

CJson KeysJson(const std::vector<float>& a_Keys) {
    CJson keys = CJson::array();
    for (float key : a_Keys)
        keys.push_back(Rounded(key));
    return keys;
}

CJson FindingJson(const CCheckFinding& a_Finding) {
    CJson json{{"kind", KindOf(a_Finding.m_Kind).m_Word}, {"message", a_Finding.m_Text}};
    const std::pair<const char*, const std::string*> fields[] = {{"path", &a_Finding.m_Path},
                                                                 {"sound", &a_Finding.m_SoundName},
                                                                 {"detail", &a_Finding.m_Detail},
                                                                 {"hint", &a_Finding.m_Hint}};
    for (const auto& [name, value] : fields)
        if (!value->empty())
            json[name] = *value;
    if (!a_Finding.m_Names.empty())
        json["names"] = a_Finding.m_Names;
    if (!a_Finding.m_Keys.empty())
        json["keys"] = KeysJson(a_Finding.m_Keys);
    if (a_Finding.m_Record != 0)
        json["record"] = a_Finding.m_Record;
    json["changes_play"] = a_Finding.m_ChangesPlay;
    return json;
}

CJson ChainJson(const CChainInfo& a_Chain) {
    CJson records = CJson::array();
    for (const CRecordInfo& record : a_Chain.m_Records)
        records.push_back(CJson{
            {"kind", record.m_Kind}, {"name", record.m_Name}, {"min_offset", record.m_MinOffset}});
    return CJson{{"key", Rounded(a_Chain.m_Key)},
                 {"anchored_start", a_Chain.m_AnchoredStart},
                 {"duration", Rounded(a_Chain.m_Duration)},
                 {"plays_per_day", a_Chain.m_PlaysPerDay},
                 {"records", records}};
}

void AddSchedule(const CCheckReport& a_Report, CJson& a_Json) {
    a_Json["interval_secs"] = a_Report.m_FrequencySecs;
    a_Json["announce_time"] = a_Report.m_AnnounceTime.ClockText();
    a_Json["intervals_per_day"] = a_Report.m_IntervalsPerDay;
    CJson chains = CJson::array();
    for (const CChainInfo& chain : a_Report.m_Chains)
        chains.push_back(ChainJson(chain));
    a_Json["chains"] = chains;
}
} // namespace

void CCheckJson::Write(const CCheckReport& a_Report, std::ostream& a_Out) {
    CJson json{{"given", a_Report.m_Given},
               {"directory", a_Report.m_Dir.empty() ? CJson() : CJson(a_Report.m_Dir)},
               {"usable", a_Report.Usable()},
               {"messages", a_Report.m_Messages},
               {"time_sounds", a_Report.m_TimeSounds},
               {"announcement_sounds", a_Report.m_AnnouncementSounds}};
    if (!a_Report.m_Unheard.empty())
        json["messages"].push_back(a_Report.m_Unheard);
    if (a_Report.m_Loaded)
        AddSchedule(a_Report, json);
    CJson findings = CJson::array();
    for (const CCheckFinding& finding : a_Report.m_Findings)
        findings.push_back(FindingJson(finding));
    json["findings"] = findings;
    // Names on a stick need not be UTF-8; such bytes become U+FFFD instead of failing.
    a_Out << json.dump(2, ' ', false, CJson::error_handler_t::replace) << "\n";
}
