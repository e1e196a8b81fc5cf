#include "check/MissingSound.h"

#include "ElementScanner.h"
#include "check/RefusedWave.h"
#include "shared/ToolText.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <strings.h>

namespace fs = std::filesystem;

namespace {
const char* const c_Is = "is not on the stick";
const char* const c_Unplayable = "has no recording on the stick that the board plays";

// Each combining accent, and the Latin letters it composes with: each letter followed by the
// one character that stands for it with the accent.
struct CAccent {
    char32_t m_Mark;
    const char* m_Pairs;
};
const CAccent c_Accents[] = {
    {0x300, u8"AÀEÈIÌOÒUÙaàeèiìoòuù"},
    {0x301, u8"AÁEÉIÍOÓUÚYÝaáeéiíoóuúyýCĆcćLĹlĺNŃnńRŔrŕSŚsśZŹzź"},
    {0x302, u8"AÂEÊIÎOÔUÛaâeêiîoôuûCĈcĉGĜgĝHĤhĥJĴjĵSŜsŝWŴwŵYŶyŷ"},
    {0x303, u8"AÃNÑOÕaãnñoõIĨiĩUŨuũ"},
    {0x304, u8"AĀaāEĒeēIĪiīOŌoōUŪuū"},
    {0x306, u8"AĂaăEĔeĕGĞgğIĬiĭOŎoŏUŬuŭ"},
    {0x307, u8"CĊcċEĖeėGĠgġIİZŻzż"},
    {0x308, u8"AÄEËIÏOÖUÜaäeëiïoöuüyÿYŸ"},
    {0x30A, u8"AÅaåUŮuů"},
    {0x30B, u8"OŐoőUŰuű"},
    {0x30C, u8"CČcčDĎdďEĚeěNŇnňRŘrřSŠsšTŤtťZŽzž"},
    {0x327, u8"CÇcçGĢgģKĶkķLĻlļNŅnņRŖrŗSŞsşTŢtţ"},
    {0x328, u8"AĄaąEĘeęIĮiįUŲuų"},
};
const char* const c_Compressed[] = {".mp3", ".flac", ".ogg", ".oga", ".opus",
                                    ".m4a", ".aac",  ".wma", ".aif", ".aiff"};

// The characters of UTF-8 text; empty for text that is not UTF-8.
std::u32string Decoded(const std::string& a_Text) {
    std::u32string chars;
    for (std::size_t pos = 0; pos < a_Text.size();) {
        auto lead = static_cast<unsigned char>(a_Text[pos]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t i = 1; i < length && pos + i < a_Text.size(); ++i)
            code = code << 6 | (static_cast<unsigned char>(a_Text[pos + i]) & 0x3F);
        chars += code;
        pos += length;
    }
    return chars;
}

std::string Encoded(const std::u32string& a_Chars) {
    std::string text;
    for (char32_t code : a_Chars) {
        if (code < 0x80) {
            text += char(code);
        } else if (code < 0x800) {
            text += char(0xC0 | code >> 6);
            text += char(0x80 | (code & 0x3F));
        } else {
            text += char(0xE0 | code >> 12);
            text += char(0x80 | (code >> 6 & 0x3F));
            text += char(0x80 | (code & 0x3F));
        }
    }
    return text;
}

bool SameIgnoringCase(const std::string& a_Lhs, const std::string& a_Rhs) {
    return a_Lhs.size() == a_Rhs.size() &&
           strncasecmp(a_Lhs.c_str(), a_Rhs.c_str(), a_Lhs.size()) == 0;
}
} // namespace

CMissingSound::CMissingSound(const std::string& a_Dir, const CSoundLibrary& a_Library,
                             const std::vector<CCheckFinding>& a_Findings, bool a_Latin1)
    : m_Dir(a_Dir), m_Library(a_Library), m_Findings(a_Findings), m_Latin1(a_Latin1) {}

std::string CMissingSound::Composed(const std::string& a_Name) {
    if (!IsUtf8(a_Name))
        return a_Name;
    std::u32string chars = Decoded(a_Name), composed;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        char32_t next = i + 1 < chars.size() ? chars[i + 1] : 0;
        auto accent =
            std::find_if(std::begin(c_Accents), std::end(c_Accents),
                         [next](const CAccent& a_Accent) { return a_Accent.m_Mark == next; });
        std::u32string pairs = accent == std::end(c_Accents) ? U"" : Decoded(accent->m_Pairs);
        std::size_t at = 0;
        while (at < pairs.size() && pairs[at] != chars[i])
            at += 2;
        composed += at + 1 < pairs.size() ? pairs[at + 1] : chars[i];
        i += at + 1 < pairs.size() ? 1 : 0;
    }
    return Encoded(composed);
}

CMissingSound::CExplained CMissingSound::Explain(const std::string& a_Name) const {
    std::string trimmed = CElementScanner::Trimmed(a_Name);
    if (trimmed.empty())
        return {c_Is, "the record has no m_Name"};
    if (trimmed != a_Name)
        return {c_Is, "remove the blanks and line breaks around the name in the schedule (see "
                      "above)"};
    if (CSoundLibrary::IsTimeFile(a_Name))
        return {c_Is, a_Name + " is a time sound name; an announcement needs a name that does "
                               "not begin with cdhour or cdnum"};
    for (const CCheckFinding& finding : m_Findings)
        if (finding.m_SoundName == a_Name && !finding.m_Path.empty())
            return {c_Unplayable, "its file " + finding.m_Path + " was left out, see above"};
    CExplained explained;
    if (Near(a_Name, explained) || Compressed(a_Name, explained))
        return explained;
    return {c_Is, "put a file " + a_Name + ".wav anywhere below " + m_Dir};
}

// A recording whose name differs only in the letter case, in how its accents are written, or in
// the schedule's being Latin-1.
bool CMissingSound::Near(const std::string& a_Name, CExplained& a_Explained) const {
    std::string meant = Composed(m_Latin1 ? Latin1AsUtf8(a_Name) : a_Name);
    for (const auto& [name, path] : m_Library.AnnouncementFiles()) {
        std::string why;
        if (m_Latin1 && Composed(name) == meant)
            why = ": save the schedule as UTF-8, so that the names match";
        else if (Composed(name) == meant)
            why = Composed(name) == name
                      ? ", where the schedule writes an accent as a character of its own, as "
                        "a Mac does: "
                      : ", whose name writes an accent as a character of its own, as a Mac "
                        "does: " +
                            Renaming(path, a_Name);
        else if (SameIgnoringCase(name, a_Name))
            why = ": names must match in letter case: " + Renaming(path, a_Name);
        if (why.empty())
            continue;
        if (why.back() == ' ')
            why += "type the name anew in the schedule, or " + Renaming(path, a_Name);
        a_Explained = {c_Is + std::string(" under exactly this name"),
                       "the stick has " + path + why};
        return true;
    }
    return false;
}

std::string CMissingSound::Renaming(const std::string& a_Path, const std::string& a_Name) {
    return "rename it with: mv " + CRefusedWave::ShellQuoted(a_Path) + " " +
           CRefusedWave::ShellQuoted(DirOf(a_Path) + "/" + a_Name + ".wav");
}

// A recording of that name in a form the board does not play, as import would name it.
bool CMissingSound::Compressed(const std::string& a_Name, CExplained& a_Explained) const {
    if (!m_Walked) {
        m_Walked = true;
        std::error_code error;
        for (fs::recursive_directory_iterator
                 it(m_Dir, fs::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            std::string extension = it->path().extension().string();
            std::transform(extension.begin(), extension.end(), extension.begin(),
                           [](unsigned char c) { return char(std::tolower(c)); });
            if (std::find(std::begin(c_Compressed), std::end(c_Compressed), extension) !=
                    std::end(c_Compressed) &&
                it->is_regular_file(error))
                m_Compressed.emplace(ImportName(it->path().string()), it->path().string());
        }
    }
    auto found = m_Compressed.find(a_Name);
    if (found == m_Compressed.end())
        return false;
    a_Explained = {c_Unplayable,
                   "the stick has " + found->second +
                       ", which the board cannot play: convert it with: quillanectl import " +
                       CRefusedWave::ShellQuoted(found->second) + " " +
                       CRefusedWave::ShellQuoted(DirOf(found->second))};
    return true;
}
