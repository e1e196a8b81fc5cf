#include "CtlSupport.h"
#include "Schedule.h"
#include "SoundLibrary.h"
#include "TestSupport.h"
#include "VirtualPlatform.h"
#include "check/CheckJson.h"
#include "check/CheckText.h"
#include "check/StickCheck.h"
#include "shared/StarterSchedule.h"
#include "shared/ToolText.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>

namespace {
// A WAV header of any format over a second of silence; a_Extra stands between format and data.
std::string Wav(int a_Tag, int a_Channels, int a_Rate, int a_Bits,
                const std::string& a_Extra = "") {
    auto le = [](std::uint32_t a_Value, int a_Bytes) {
        std::string bytes;
        for (int i = 0; i < a_Bytes; ++i)
            bytes += char(a_Value >> (8 * i) & 0xFF);
        return bytes;
    };
    int frame = a_Channels * a_Bits / 8, size = a_Rate * frame;
    return "RIFF" + le(36 + size + a_Extra.size(), 4) + "WAVEfmt " + le(16, 4) + le(a_Tag, 2) +
           le(a_Channels, 2) + le(a_Rate, 4) + le(a_Rate * frame, 4) + le(frame, 2) +
           le(a_Bits, 2) + a_Extra + "data" + le(size, 4) + std::string(size, '\0');
}

// a_Text with each a_From replaced by a_To (which may itself hold a_From).
std::string Replaced(std::string a_Text, const std::string& a_From, const std::string& a_To) {
    for (auto pos = a_Text.find(a_From); pos != std::string::npos;
         pos = a_Text.find(a_From, pos + a_To.size()))
        a_Text.replace(pos, a_From.size(), a_To);
    return a_Text;
}
} // namespace

TEST(CheckTest, EachMistakeIsOneFinding) {
    CScopedEnv zone("TZ", "UTC0");
    // intro (2 s) and the time (1 s), ending as the interval ends.
    const std::string r =
        Rec("intro", "Custom", "5:00.0", false, "1") + Rec("now", "Timed", "", true);
    const std::string at1 = Rec("intro", "Custom", "0:01.0"),
                      at60 = Rec("intro", "Custom", "1:00.0");
    // The time at 3:00.0, two minutes back: heard as it says.
    const std::string t = Rec("t", "Timed", "3:00.0", false, "0", "-2");
    auto s = [&](const std::string& a_Records) { return ScheduleFile(r + a_Records); };
    // clang-format off
    const char* needed = "needed-time-sounds-missing";
    auto utf16 = [](const std::string& a_Text) {
        std::string bytes;
        for (char c : a_Text)
            bytes += std::string(1, c) + '\0';
        return bytes;
    };
    // The schedule; a file put in, renamed when its bytes are ">NEW", the whole directory copied
    // for "<copy"; the kinds found; the exit status with --strict; words of the text ('D/: the stick).
    const std::tuple<std::string, std::string, std::string, const char*, int, const char*> cases[] = {
        {s(""), "", "", "", 0, "No problems found: the stick is usable."},
        {s(""), "bad.wav", "RIFF", "refused", 1, "bad.wav: its header is not one the board reads (Couldn't"},
        {s(""), "st.wav", Wav(1, 2, 44100, 16), "refused", 1, "st.wav: it is stereo (2 channels), 44100 Hz; the"},
        {s(""), "b.wav", Wav(1, 1, 22050, 8), "refused", 1, "it is 8-bit; the board plays only mono, 16-bit"},
        {s(""), "a.wav", Wav(6, 1, 22050, 8), "refused", 1, "it is compressed, not PCM; the board"},
        {s(""), "l.wav", Wav(1, 1, 22050, 16, std::string("LIST\4\0\0\0INFO", 12)), "refused", 1,
         "it holds a LIST chunk between the format and the data, as some audio editors write"},
        {s(""), "Up.WAV", Wav(1, 1, 22050, 16, "JUNK" + std::string(4, '\0')), "refused", 1,
         "import --force 'D/show/Up.WAV' 'D/show' (then delete 'D/show/Up.WAV' if it is still there)"},
        {s(""), "e.wav", "", "refused", 1, "e.wav: it is empty"},
        {s(""), "old/intro.wav", WavBytes(1), "replaced", 1, "Two files give the sound intro"},
        {s(Rec("outro", "Custom", "4:00.0")), "", "", "missing-announcement", 1,
         "\"outro\" (record 3, chain at 4:00.0)"},
        {s(""), "times/cdnum35.wav", ">x", needed, 1, "spoken as silence): cdnum35\n    speak all 93 into"},
        {s(""), "times/cdhour00.wav", ">x", needed, 1, "spoken as silence): cdhour00"},
        {s(""), "times/cdnum36.wav", ">x", "missing-time-sounds", 0, "/show/times with: quillanectl voice 'D/show'"},
        {s(Replaced(t, "<Record>", "<Recrod>")), "", "", "misspelled-tag", 1,
         "did you mean <Record>? The record that begins there is not read\n    write <Record> in its place"},
        {ScheduleFile(Replaced(r, "<Record>", "<record>")), "", "", "misspelled-tag misspelled-tag empty-program", 1,
         "line 3: the board does not read <record> (letter case counts)"},
        {s(Replaced(t, "<Record>", "<Record id=\"3\">")), "", "", "misspelled-tag", 1, "nothing else inside the brackets"},
        {s("<!-- " + Replaced(t, "</m_Name>", "</m_Name><!-- x -->") + " -->"), "", "", "comment-end", 1,
         "line 5: the comment that begins here holds another <!-- on line 5, and the board ends it at the first"},
        {s("<!-- a <!-- b --> c -->\n"), "", "", "comment-end", 0, "(line 5), not at line 5: what stands after that is read"},
        {s("<!-- old -- >\n" + t + "<!-- note -->\n"), "", "", "comment-end", 1, "-- on line 5, which does not end it: the"},
        {s("<!-- old -- >\n<Note/>\n<!-- note -->\n"), "", "", "comment-end", 1, "the --> on line 7 and leaves out"},
        {s("<!-- t\n" + t), "", "", "comment-end", 1, "line 5: the comment that begins here has no end -->"},
        {"\xFF\xFE" + utf16(s("")), "", "", "encoding", 1, "is saved as UTF-16, as Notepad's \"Unicode\" does"},
        {utf16(s("")), "", "", "encoding", 1, "open it in a text editor and save it as UTF-8"},
        {s(Rec("Z\xFCrich", "Custom", "3:00.0")), "Z\u00fcrich.wav", WavBytes(1), "encoding missing-announcement", 1,
         "Announcement \"Z\u00fcrich\" (record 3, chain at 3:00.0) is not on the stick under exactly this name"},
        {s(Rec("Z\u00fcrich", "Custom", "3:00.0")), "Zu\u0308rich.wav", WavBytes(1), "missing-announcement", 1,
         "whose name writes an accent as a character of its own, as a Mac does: rename it with: mv"},
        {s(Rec("Intro", "Custom", "3:00.0")), "bad.wav", "RIFF", "refused missing-announcement", 1,
         "names must match in letter case: rename it with: mv 'D/show/intro.wav' 'D/show/Intro.wav'"},
        {s(Rec("welcome", "Custom", "3:00.0")), "welcome.mp3", "x", "missing-announcement", 1,
         "which the board cannot play: convert it with: quillanectl import 'D/show/welcome.mp3' 'D/show'"},
        {s(Rec("x", "Daily", "3:00.0")), "", "", "unknown-type", 1, "record 3 (x): Type \"Daily\" is neither"},
        {s(Rec("x", "timed", "3:00.0")), "", "", "type-case", 1, "leaves the record out: did you mean Timed?"},
        {s(Rec("t", " Timed", "3:00.0")), "", "", "blanks", 1, "record 3 (t): Type \" Timed\" has blanks"},
        {s(Rec("\nintro ", "Custom", "3:00.0")), "", "", "blanks missing-announcement", 1, "never finds intro.wav"},
        {s(Rec("\nt ", "Timed", "3:00.0", false, "0", "-2")), "", "", "blanks", 0, "the board reads it anyway"},
        {s(Rec("intro", "Custom", "3:00.0 ")), "", "", "blanks", 1, "reads it as 0:00.0, not 3:00.0"},
        {s(Rec("t", "Timed", "3:00.0", false, " 0\n", "-2")), "", "", "blanks", 0, "the board reads it anyway"},
        {ScheduleFile(r, "05:00 "), "", "", "blanks", 1, "or line breaks around it: the board cannot load"},
        {ScheduleFile(Rec("x", "timed", "3:00.0"), "abc"), "", "", "type-case", 1,
         "m_Frequency \"abc\" is missing or not M:SS or MM:SS: write minutes and seconds, such as"},
        {ScheduleFile(r, "5:00 "), "", "", "blanks", 0, "\"5:00 \" has blanks or line breaks around it: the b"},
        {s(Rec("intro", "Custom", "3:00")), "", "", "key-without-tenths", 1, "no tenths of a second: the board"},
        {s(Rec("intro", "Custom", "3:0.0")), "", "", "malformed-value", 1, "m_TimingTime \"3:0.0\" is not minutes"},
        {s(Rec("t", "Timed", "3:00.0", false, "0", "five")), "", "", "malformed-value wrong-spoken-time", 1, "\"five\" is not a"},
        {s(Replaced(t, "<m_TimingTime>", "<m_TimingTme>") + Rec("u", "Timed", "4:00.0")), "", "",
         "unknown-element missing-element wrong-spoken-time", 1, "did you mean m_TimingTime?"},
        {s(Replaced(t, "<m_OffsetTime>-2</m_OffsetTime>", "") + Rec("u", "Timed", "4:00.0", true, "0", "5")), "",
         "", "missing-element wrong-spoken-time", 1, "record 3 (t) has no m_OffsetTime: the board takes 5 from record 4 (u)"},
        {s(Replaced(t, "<m_OffsetTime>-2</m_OffsetTime>", "<Note>x</Note>")), "", "",
         "unknown-element missing-element wrong-spoken-time", 1, "the board does not read <Note>\n"},
        {s(Replaced(t, "</m_TimingTime>", "</m_TimingTme>")), "", "", "unclosed-element wrong-spoken-time", 1, "no </m_TimingTime>"},
        {ScheduleFile(Rec("t", "Timed", "", true) + r), "", "", "orphan-after-message", 1,
         "record 1 (t) is meant to follow the record before it (m_AfterMsg 1), but no chain starts before"},
        {s(Rec("t", "Timed", "5:00.0")), "", "", "replaced-chain", 1,
         "record 3 (t) starts a chain at 5:00.0, where the chain of record 1 (intro) at 5:00.0 already"},
        {s(Rec("t", "Timed", "5:00.1")), "", "", "key-beyond-interval", 1, "of record 3 (t) at 5:00.1 lies beyond"},
        {ScheduleFile(Rec("intro", "Custom", "0:01.0", false, "1")), "", "", "longer-than-key", 1,
         "The chain of record 1 (intro) at 0:01.0 finishes at its key but lasts up to 2.0 s"},
        {ScheduleFile(at60 + Rec("intro", "Custom", "1:01.0")), "", "", "runs-past-next", 1,
         "until up to 1:02.0 into its interval, past the start of the chain of record 2 (intro) at 1:01.0"},
        {ScheduleFile(at1 + Rec("intro", "Custom", "4:59.5")), "", "", "runs-past-next", 1, "0:01.0 in the next"},
        // The interval cut at the hour holds the first chain but not the one it runs into.
        {ScheduleFile(Rec("intro", "Custom", "14:59.0") + Rec("intro", "Custom", "15:00.5"), "45:00"), "", "",
         "interval-cut runs-past-next", 1, "past the start of the chain of record 2 (intro) at 15:00.5: that"},
        {ScheduleFile(at60 + Rec("intro", "Custom", "1:02.0")), "", "", "", 0, "No problems found"},
        // The calendar: 14 March 2024 is a Thursday.
        {s(When(t, "Thu")) + "<m_Quiet>22:00-06:00</m_Quiet><m_LeadIn>0:00.5</m_LeadIn><m_Greeting>intro</m_Greeting>",
         "", "", "", 0, "No problems found"},
        {s(When(t, "Mon-Fry; 24:00-06:00")), "", "", "calendar-item calendar-item", 1, "record 3 (t): m_When item "
         "\"Mon-Fry\": expected days as Mon, Tue, Wed, Thu, Fri, Sat or Sun, like Sat,Sun or Mon-Fri; the board leaves"},
        {s("") + "<m_Quiet>12:00-12:00</m_Quiet>", "", "", "calendar-item", 1, "m_Quiet item \"12:00-12:00\": a window "
         "must end at another time than it starts, like 22:00-06:00; the board leaves the item out; none is left, so no"},
        {s("") + "<m_Quiet>Mon-Sun</m_Quiet>", "", "", "always-quiet", 1,
         "nothing will ever be heard: quiet hours hold every chain's start all year, see above.\n"},
        {s(When(t, "2024-03-13")), "", "", "when-never", 1,
         "The chain of record 3 (t) at 3:00.0 never plays: within a year its start never falls in its m_When \"2024-03-13\"\n"},
        {ScheduleFile(When(at60, "Sat")) + "<m_Quiet>Sat,Sun</m_Quiet>", "", "", "when-never", 1,
         "\"Sat\" outside quiet hours\n    write an m_When that holds some of the chain's starts, or delete it\n"
         "The stick is not usable: nothing will ever be heard: within a year no chain starts inside its m_When"},
        {s(When(Rec("now", "Timed", "", true), "Sat")), "", "", "when-ignored", 1,
         "record 3 (now) joins the chain before it (m_AfterMsg 1), so the board ignores its m_When \"Sat\""},
        {s(Replaced(When(t, "Thu"), "</m_When>", "")), "", "", "unclosed-element", 1, "<m_When> has no </m_When>"},
        {s("") + "<m_LeadIn>0:07.0</m_LeadIn>", "", "", "lead-in-range", 1,
         "m_LeadIn \"0:07.0\" is not a time from 0:00.1 to 0:05.0: the board plays without a lead-in"},
        {s("") + "<m_Greeting>hello</m_Greeting>", "", "", "missing-greeting", 1, "The greeting \"hello\" (m_Greeting) "
         "is not on the stick: when the stick is read, only the time is spoken\n    put a file hello.wav anywhere"},
        {ScheduleFile(""), "", "", "empty-program", 1, "no chains"},
        {s(""), "forVrex.xml", ">forvrex.xml", "schedule-name-case", 1, "show/forvrex.xml is the schedule file in"},
        {s(""), "../other", "<copy", "several-schedule-dirs", 1, "More than one directory on the stick holds"},
    };
    // clang-format on
    for (const auto& [schedule, rel, bytes, kinds, strict, words] : cases) {
        CTempDir dir; // every time sound (0.5 s) and intro (2 s)
        WriteTimeSounds(dir, "show/times", 0.5);
        dir.WriteWav("show/intro.wav", 2.0);
        dir.Write("show/forVrex.xml", schedule);
        std::string show = dir.Path() + "/show/";
        if (bytes[0] == '>')
            std::rename((show + rel).c_str(), (show + bytes.substr(1)).c_str());
        else if (bytes == "<copy")
            std::filesystem::copy(show, show + rel, std::filesystem::copy_options::recursive);
        else if (!rel.empty())
            dir.Write("show/" + rel, bytes);
        CCheckReport report = CStickCheck::Run(dir.Path(), At(14, 31, 5));
        std::ostringstream text, json;
        CCheckText::Write(report, text);
        CCheckJson::Write(report, json);
        std::string found;
        nlohmann::json parsed = nlohmann::json::parse(json.str());
        for (const auto& finding : parsed["findings"]) {
            found += (found.empty() ? "" : " ") + finding["kind"].get<std::string>();
            EXPECT_NE(finding.value("hint", ""), "") << finding; // what to do about it
        }
        EXPECT_EQ(found, kinds) << text.str();
        EXPECT_EQ(report.ExitStatus(true), strict) << text.str();
        std::string expected = Replaced(words, "'D/", "'" + dir.Path() + "/");
        EXPECT_NE(text.str().find(expected), std::string::npos) << text.str();
    }
}

// What check says of each chain, the intervals of a day it plays in, is what the scheduler then
// plays over that day.
TEST(CheckTest, CheckAndTheSchedulerAgreeOnEveryKey) {
    CScopedEnv zone("TZ", "UTC0");
    // clang-format off
    const std::tuple<const char*, const char*, const char*, std::size_t> cases[] = { // finishing: "1"
        {"5:00", "0:00.0", "0", 288}, {"5:00", "2:30.0", "0", 288}, {"5:00", "5:00.0", "0", 288},
        {"5:00", "5:00.0", "1", 288}, {"5:00", "5:00.1", "0", 0},   {"0:30", "0:30.0", "1", 2880},
        {"5:00", "0:00.5", "1", 0},   {"45:00", "10:00.0", "0", 48}, {"45:00", "20:00.0", "0", 24},
        {"90:00", "59:59.0", "1", 24},
    };
    // clang-format on
    for (const auto& [frequency, key, finish, plays] : cases) {
        CTempDir dir;
        dir.WriteWav("show/intro.wav", 1.0);
        dir.Write("show/forVrex.xml",
                  ScheduleFile(Rec("intro", "Custom", key, false, finish), frequency));
        CCheckReport report = CStickCheck::Run(dir.Path(), At(14, 31, 5));
        EXPECT_EQ(report.m_Chains.empty() ? 0 : report.m_Chains[0].m_PlaysPerDay, plays)
            << frequency << " " << key;
        bool cut = std::string(frequency) != "5:00" && std::string(frequency) != "0:30";
        std::ostringstream json;
        CCheckJson::Write(report, json);
        EXPECT_EQ(json.str().find("interval-cut") != std::string::npos, cut) << frequency;
        CSoundLibrary library(dir.Path() + "/show");
        CVirtualPlatform platform(At(0, 0));
        std::ostringstream out;
        CSchedule schedule(dir.Path() + "/show", platform, out);
        ASSERT_TRUE(schedule.Load());
        while (platform.Now() < At(24, 0, 1))
            schedule.PlayNextSound();
        std::size_t played = 0; // in the intervals that end on the day
        for (const auto& [start, playback] : platform.m_Playbacks)
            played += At(0, 0) < playback.m_AnnounceTime && !(At(24, 0) < playback.m_AnnounceTime);
        EXPECT_EQ(played, plays) << frequency << " " << key;
    }
}

// The starter schedule as a person edits it: the interval changed, the record named a_Name
// rewritten, a record put in before it. What check says of the time spoken is what the scheduler
// then plays: the first time heard a minute or more from what it says after 12:00 is check's
// example, "at 12:10:00 it says 12:15"; a schedule check passes is heard right all hour.
TEST(CheckTest, CheckAndTheSchedulerAgreeOnEverySpokenTime) {
    CScopedEnv zone("TZ", "UTC0");
    auto starter = [](int a_Secs, const char* a_Interval) {
        return Replaced(CStarterSchedule::Text(a_Secs), "<m_Frequency>" + IntervalText(a_Secs),
                        std::string("<m_Frequency>") + a_Interval);
    };
    auto edited = [](std::string a_Text, const std::string& a_Name, const std::string& a_Before,
                     const std::string& a_From, const std::string& a_To) {
        std::size_t begin = a_Text.rfind("<Record>", a_Text.find("<m_Name>" + a_Name + "<"));
        std::size_t end = a_Text.find("</Record>", begin) + 9;
        std::string record = a_Text.substr(begin, end - begin);
        record = a_From.empty() ? record : Replaced(record, a_From, a_To);
        return a_Text.replace(begin, end - begin, a_Before + record);
    };
    const std::string chime = Rec("chime", "Custom", "2:00.0"), off = "<m_OffsetTime>0<";
    const std::string uncommented =
        edited(starter(300, "5:00"), "time-is", "<!--", "</Record>", "</Record>-->");
    // clang-format off
    const std::tuple<std::string, std::string, std::string> cases[] = { // what check says, its hint
        {starter(300, "5:00"), "", ""},
        {starter(600, "15:00"), "at 12:10:00 it says 12:15, 5 minutes early",
         "key the chain at 15:00.0 with m_FinishAtTime 1 in record 2 (time-is), so that it ends as the "
         "interval ends; or set m_OffsetTime to -5 in record 3 (clock)"},
        {uncommented, "at 12:00:33 it says 12:05, 4 minutes 27 seconds early", "record 2 (clock) joins the chain of record 1"},
        {edited(uncommented, "clock", "", off, "<m_OffsetTime>-5<"), "", ""}, // 33 s late
        {starter(900, "45:00"), "at 12:15:00 it says 12:45, 30 minutes early",
         "key the chain at 45:00.0 with m_FinishAtTime 1 in record 2 (time-is), so that it ends as the interval ends\n"},
        {edited(starter(300, "5:00"), "clock", chime, "", ""), "at 12:02:03 it says 12:05, 2 minutes 57 seconds early",
         "record 4 (clock) joins the chain of record 3 (chime) at 2:00.0 (m_AfterMsg 1), not the chain its own key 5:00.0"},
        {edited(starter(300, "5:00"), "clock", "", off, "<m_OffsetTime>-5<"), "at 12:05:00 it says 12:00, 5 minutes late",
         "\n    set m_OffsetTime to 0 in record 3 (clock)\n"},
    };
    // clang-format on
    for (const auto& [schedule, says, hint] : cases) {
        CTempDir dir;
        WriteTimeSounds(dir, "show/times", 0.5);
        dir.WriteWav("show/chime.wav", 2.0);
        dir.WriteWav("show/time-is.wav", 2.0);
        dir.Write("show/forVrex.xml", schedule);
        CCheckReport report = CStickCheck::Run(dir.Path(), At(12, 0));
        std::ostringstream text;
        CCheckText::Write(report, text);
        EXPECT_EQ(report.ExitStatus(true), says.empty() ? 0 : 1) << text.str();
        EXPECT_NE(text.str().find(says.empty() ? "No problems" : "wrong-spoken-time"),
                  std::string::npos);
        EXPECT_NE(text.str().find(says), std::string::npos) << text.str();
        EXPECT_NE(text.str().find(hint), std::string::npos) << text.str();
        CSoundLibrary library(dir.Path() + "/show");
        CVirtualPlatform platform(At(12, 0));
        std::ostringstream out;
        CSchedule scheduler(dir.Path() + "/show", platform, out);
        ASSERT_TRUE(scheduler.Load());
        while (platform.Now() < At(13, 0))
            scheduler.PlayNextSound();
        std::string heard; // the first time heard a minute or more from what it says
        for (const auto& [start, playback] : platform.m_Playbacks) {
            CTimeVal end = playback.m_StartTime;
            int said = -1; // minutes of the day, from the names of the time sounds played
            for (const CSlot& slot : playback.m_Slots) {
                const std::string& name = slot.m_SoundName;
                bool hour = name.rfind("cdhour", 0) == 0,
                     time = hour || name.rfind("cdnum", 0) == 0;
                end.AddSecs(time ? library.GetTimeSndDuration(name)
                                 : library.GetAnnouncementDuration(name));
                int number = time ? std::stoi(name.substr(hour ? 6 : 5)) : 0;
                said = !time ? said : hour || said < 0 ? number * 60 : said + number;
            }
            float clock = float(end.Hour() * 3600 + end.Min() * 60 + end.Sec()) +
                          float(end.MicroSecs()) / 1e6f;
            end.AddSecs(0.5f);
            char words[40];
            std::snprintf(words, sizeof words, "at %s it says %02d:%02d", end.ClockText().c_str(),
                          said / 60, said % 60);
            if (heard.empty() && said >= 0 && std::fabs(float(said * 60) - clock) >= 60)
                heard = words;
        }
        EXPECT_EQ(heard, says.substr(0, heard.size())) << text.str();
        EXPECT_EQ(heard.empty(), says.empty()) << text.str();
    }
    // Summer time begins and ends on these days: the clock jumps an hour, the time stays right
    // (on a stick init made, whose spoken sounds last no round number of seconds).
    CScopedEnv summer("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    CTempDir dir;
    ASSERT_EQ(RunCtl({"init", dir.Path()}).m_Status, 0);
    for (int days : {17, 227}) {
        CTimeVal day = At(12, 0);
        day.AddSecs(days * 86400);
        EXPECT_EQ(FindingKinds(CStickCheck::Run(dir.Path(), day)), "") << days;
    }
}

// A stick is usable when the board plays something of it; --strict fails it also for what
// changes play. plan's output holds its lines alone.
TEST(CheckTest, StatusSaysWhetherAnythingIsHeardStrictAlsoWhatChangesPlay) {
    CScopedEnv zone("TZ", "UTC0");
    CTempDir dir;
    const std::string d = dir.Path();
    dir.WriteWav("show/intro.wav", 1.0);
    dir.Write("show/forVrex.xml", ScheduleFile(Rec("intro", "Custom", "0:30.0")));
    dir.WriteWav("late/show/intro.wav", 1.0);
    dir.Write("late/show/forVrex.xml",
              ScheduleFile(Rec("intro", "Custom", "0:30") + Rec("x", "Daily", "1:00.0")));
    dir.Write("none/show/forVrex.xml", ScheduleFile(Rec("x", "Daily", "1:00.0")));
    dir.Write("gone/show/forVrex.xml", ScheduleFile(Rec("gone", "Custom", "0:30.0")));
    dir.WriteWav("skip/show/intro.wav", 1.0);
    dir.Write("skip/show/forVrex.xml", ScheduleFile(Rec("intro", "Custom", "0:00.5", false, "1")));
    // clang-format off
    const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
        {{"check", d + "/show"}, 0, "placement-reminder: " + d + "/show does not lie directly below the top of a stick, the only place where the board looks for forVrex.xml; check looked at it as if it did\n    copy show, with everything in it, to the top of the stick, as in /media/usb/show\n"},
        {{"check", "--strict", d + "/show"}, 0, "The stick is usable and plays as its schedule reads"},
        {{"check", d + "/late"}, 0, "key-without-tenths: record 1 (intro)"},
        {{"check", "--strict", d + "/late"}, 1, "The stick is usable; the problems above change what is played."},
        {{"check", "--strict", "--json", d + "/late"}, 1, "\"changes_play\": true"},
        {{"plan", d + "/late", "--at", "10:00:00", "--count", "2"}, 0, "10:00:00.000\t0\tintro\n10:05:00.000"},
        {{"check", d + "/none"}, 1, "The stick is not usable: nothing will ever be heard: the schedule has no chains.\n"},
        {{"check", "--json", d + "/none"}, 1, "\"usable\": false,\n  \"messages\": [\n    \"nothing will ever be heard"},
        {{"check", d + "/gone"}, 1, "nothing will ever be heard: none of the recordings its chains play is on the stick.\n"},
        {{"check", d + "/skip"}, 1, "nothing will ever be heard: no chain plays in any interval, see above.\n"},
    };
    // clang-format on
    for (const auto& [args, status, words] : cases) {
        CCtlResult result = RunCtl(args);
        EXPECT_EQ(result.m_Status, status) << words;
        EXPECT_NE(result.m_Out.find(words), std::string::npos) << result.m_Out;
        EXPECT_EQ(result.m_Out.find("unknown type"), std::string::npos) << result.m_Out;
    }
}

// A hostile schedule with thousands of odd records: the first thousand findings about its
// elements and the first thousand notes of what the loader leaves out, each followed by one line
// saying that more are not listed.
TEST(CheckTest, ListsTheFirstThousandOfEachThenSaysThereAreMore) {
    std::string records;
    for (int i = 0; i < 1001; ++i)
        records += Rec("o" + std::to_string(i), "Timed", "", true) +
                   "<Record><m_Name>u</m_Name><Type>Custom</Type><m_Bogus/></Record>";
    CTempDir dir;
    dir.Write("show/forVrex.xml", ScheduleFile(records));
    std::map<std::string, int> counts;
    std::string kinds; // each kind once, in the order first found
    for (const CCheckFinding& finding : CStickCheck::Run(dir.Path(), At(14, 31)).m_Findings) {
        std::string kind = KindOf(finding.m_Kind).m_Word;
        if (counts[kind]++ == 0)
            kinds += kind + " ";
    }
    EXPECT_EQ(kinds.substr(0, kinds.find(" missing-announcement")),
              "unknown-element missing-element more-findings orphan-after-message more-notes");
    EXPECT_EQ(counts["unknown-element"] + counts["missing-element"], 1000);
    EXPECT_EQ(counts["orphan-after-message"], 1000);
    EXPECT_EQ(counts["more-findings"] + counts["more-notes"], 2);
}

// Each case: what the stick holds, and a finding of check --json with its detail (the reader's
// message), its hint and the record it is about ("" and 0 for none).
TEST(CheckTest, JsonGivesEachFindingsDetailHintAndRecord) {
    // clang-format off
    const std::tuple<std::string, std::string, const char*, std::string, const char*, int> cases[] = {
        {"bad.wav", "RIFF", "refused", "Couldn't read RIFF data in wav file.",
         "replace it with a recording that plays on a PC, or delete it", 0},
        {"forVrex.xml", ScheduleFile(Rec("intro", "Custom", "0:10.0") + Rec("x", "Custom", "1:00")),
         "key-without-tenths", "", "write 1:00.0", 2},
        {"forVrex.xml", ScheduleFile(Rec("intro", "Custom", "0:10.0") + Rec("t", "Daily", "1:00.0")),
         "unknown-type", "", "write Custom to play a recording, Timed to speak the time", 2},
    };
    // clang-format on
    for (const auto& [rel, bytes, kind, detail, hint, record] : cases) {
        CTempDir dir;
        WriteTimeSounds(dir, "show/times", 0.5);
        dir.WriteWav("show/intro.wav", 1.0);
        dir.Write("show/forVrex.xml", ScheduleFile(Rec("intro", "Custom", "0:10.0")));
        dir.Write("show/" + rel, bytes);
        CCtlResult result = RunCtl({"check", "--json", dir.Path()});
        nlohmann::json report = nlohmann::json::parse(result.m_Out), found;
        for (const auto& finding : report["findings"])
            if (finding["kind"] == kind)
                found = finding;
        ASSERT_TRUE(found.is_object()) << result.m_Out;
        EXPECT_EQ(found.value("detail", ""), detail) << kind;
        EXPECT_EQ(found.value("hint", ""), hint) << kind;
        EXPECT_EQ(found.value("record", 0), record) << kind;
    }
}
