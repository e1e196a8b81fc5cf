#ifndef QUILLANE_FINDINGKINDS_H
#define QUILLANE_FINDINGKINDS_H

#include <cstddef>
#include <iterator>

// Every kind of finding check reports, each defined here and nowhere else: the word that names
// it in the reports, whether it changes what the board plays, what to do about it where that is
// the same for every finding of the kind (the others say it each time), and its row in the
// README's list of kinds, which a test holds to this table.
enum class EFinding {
    ScheduleAtTop,
    PlacementReminder,
    SeveralScheduleDirs,
    ScheduleNameCase,
    Refused,
    ZeroLength,
    ShortName,
    Replaced,
    MissingAnnouncement,
    MissingTimeSounds,
    NeededTimeSoundsMissing,
    UnknownElement,
    MissingElement,
    UnclosedElement,
    Blanks,
    KeyWithoutTenths,
    MalformedValue,
    TypeCase,
    UnknownType,
    OrphanAfterMessage,
    ReplacedChain,
    KeyBeyondInterval,
    EmptyProgram,
    IntervalCut,
    LongerThanKey,
    RunsPastNext,
    WrongSpokenTime,
    MisspelledTag,
    CommentEnd,
    Encoding,
    MoreNotes,
    MoreFindings,
};

// Whether findings of a kind change what is played; for Sometimes each finding says.
enum class EChangesPlay { No, Yes, Sometimes };

struct CFindingKind {
    EFinding m_Kind;
    const char* m_Word;
    EChangesPlay m_ChangesPlay;
    const char* m_Hint;      // empty where each finding gives its own, or none
    const char* m_Example;   // the README's example of it (Markdown)
    const char* m_PlayWords; // the README's words for whether it changes play
};

// In the README's order.
inline constexpr CFindingKind c_FindingKinds[] = {
    {EFinding::ScheduleAtTop, "schedule-at-top", EChangesPlay::Yes, "",
     "`/media/usb/forVrex.xml lies at the top of the stick, where the board never looks`",
     "yes: nothing plays"},
    {EFinding::PlacementReminder, "placement-reminder", EChangesPlay::No, "",
     "`stick/show does not lie directly below the top of a stick, the only place where the board "
     "looks for forVrex.xml` (a directory given that is not on a stick)",
     "no"},
    {EFinding::SeveralScheduleDirs, "several-schedule-dirs", EChangesPlay::Yes, "",
     "`More than one directory on the stick holds forVrex.xml: the board uses /media/usb/a and "
     "ignores /media/usb/b`",
     "yes"},
    {EFinding::ScheduleNameCase, "schedule-name-case", EChangesPlay::Yes, "",
     "`/media/usb/announcer/forvrex.xml is the schedule file in another letter case` (the stick "
     "is then not usable)",
     "yes"},
    {EFinding::Refused, "refused", EChangesPlay::Yes, "",
     "`Refused .../welcome.wav: it is 8-bit` (or stereo, a rate other than 22050 Hz, compressed, "
     "empty, a chunk between format and data)",
     "yes"},
    {EFinding::ZeroLength, "zero-length", EChangesPlay::Yes,
     "replace it with a recording that holds sound, or delete it",
     "`Left out .../gong.wav: it holds no samples`", "yes"},
    {EFinding::ShortName, "short-name", EChangesPlay::Yes,
     "name it after its sound, such as welcome.wav, or delete it",
     "`Left out .../.wav: its name gives no sound name`", "yes"},
    {EFinding::Replaced, "replaced", EChangesPlay::Yes, "",
     "`Two files give the sound intro: .../intro.wav is played, .../old/intro.wav is not`", "yes"},
    {EFinding::MissingAnnouncement, "missing-announcement", EChangesPlay::Yes, "",
     "`Announcement \"outro\" (record 3, chain at 4:00.0) is not on the stick: that part stays "
     "silent`",
     "yes"},
    {EFinding::MissingTimeSounds, "missing-time-sounds", EChangesPlay::No, "",
     "`Time sounds missing from the complete set: cdnum35; this schedule needs none of them`",
     "no"},
    {EFinding::NeededTimeSoundsMissing, "needed-time-sounds-missing", EChangesPlay::Yes, "",
     "`Time sounds this schedule speaks over a day but the stick lacks (spoken as silence): "
     "cdnum35`",
     "yes"},
    {EFinding::UnknownElement, "unknown-element", EChangesPlay::No, "",
     "`record 3 (welcome): the board does not read <m_TimingTme>: did you mean m_TimingTime?`",
     "no (see `missing-element`)"},
    {EFinding::MissingElement, "missing-element", EChangesPlay::Yes,
     "write every element in every record",
     "`record 3 (welcome) has no m_TimingTime: the board takes 2:00.0 from record 4 (clock)`",
     "yes"},
    {EFinding::UnclosedElement, "unclosed-element", EChangesPlay::Yes, "",
     "`record 3 (welcome): <m_TimingTime> has no </m_TimingTime> after it in the record`", "yes"},
    {EFinding::Blanks, "blanks", EChangesPlay::Sometimes, "",
     "`record 2 (welcome): m_Name \" welcome\" has blanks or line breaks around it: the board "
     "looks for a recording named with them and never finds welcome.wav` (or: reads it anyway, "
     "reads it as another value, cannot load the schedule)",
     "yes, unless the board reads it anyway"},
    {EFinding::KeyWithoutTenths, "key-without-tenths", EChangesPlay::Yes, "",
     "`record 1 (chime): the key m_TimingTime 1:00 has no tenths of a second: the board reads it "
     "as 0:00.0, not 1:00.0`",
     "yes"},
    {EFinding::MalformedValue, "malformed-value", EChangesPlay::Yes, "",
     "`record 3 (t): m_OffsetTime \"five\" is not a whole number: the board reads it as 0`", "yes"},
    {EFinding::TypeCase, "type-case", EChangesPlay::Yes, "",
     "`record 2 (welcome): Type \"custom\" is not Custom or Timed (letter case counts), so the "
     "board leaves the record out: did you mean Custom?`",
     "yes"},
    {EFinding::UnknownType, "unknown-type", EChangesPlay::Yes,
     "write Custom to play a recording, Timed to speak the time",
     "`record 3 (x): Type \"Daily\" is neither Custom nor Timed, so the board leaves the record "
     "out`",
     "yes"},
    {EFinding::OrphanAfterMessage, "orphan-after-message", EChangesPlay::Yes,
     "set its m_AfterMsg to 0 and give it a key of its own, or move it after the record it "
     "should follow",
     "`record 1 (welcome) is meant to follow the record before it (m_AfterMsg 1), but no chain "
     "starts before it: the board leaves it out`",
     "yes"},
    {EFinding::ReplacedChain, "replaced-chain", EChangesPlay::Yes,
     "give each chain its own key, or set m_AfterMsg to 1 to join the chain before",
     "`record 5 (in-five) starts a chain at 2:00.0, where the chain of record 3 (welcome) at "
     "2:00.0 already starts: that chain never plays`",
     "yes"},
    {EFinding::KeyBeyondInterval, "key-beyond-interval", EChangesPlay::Yes,
     "key the chain within the interval (m_Frequency)",
     "`the chain of record 3 (late) at 5:00.1 lies beyond the end of the interval (5:00.0): the "
     "board never plays it`",
     "yes"},
    {EFinding::EmptyProgram, "empty-program", EChangesPlay::Yes,
     "write a <Record> for each sound to play between <Records> and </Records>, as the README "
     "shows",
     "`The schedule has no chains: nothing will ever play`", "yes"},
    {EFinding::IntervalCut, "interval-cut", EChangesPlay::Sometimes,
     "choose an interval that divides the hour (such as 5:00, 10:00, 15:00, 20:00 or 30:00): it "
     "plays every chain in every interval",
     "`The interval 45:00 does not divide the hour: intervals begin at :00 and :45 of every hour "
     "...`",
     "only when some chain is keyed beyond the shorter interval's end"},
    {EFinding::LongerThanKey, "longer-than-key", EChangesPlay::Yes, "",
     "`The chain of record 1 (intro) at 0:01.0 finishes at its key but lasts up to 2.0 s, longer "
     "than its key: it is skipped in 288 of the day's 288 intervals ...`",
     "yes"},
    {EFinding::RunsPastNext, "runs-past-next", EChangesPlay::Yes,
     "move the keys further apart, or shorten the recordings",
     "`The chain of record 1 (intro) at 1:00.0 plays until up to 1:02.0 into its interval, past "
     "the start of the chain of record 2 (outro) at 1:01.0 ...`",
     "yes"},
    {EFinding::WrongSpokenTime, "wrong-spoken-time", EChangesPlay::Yes, "",
     "`The chain of record 2 (time-is) at 10:00.0 speaks the wrong time: at "
     "12:10:00 it says 12:15, 5 minutes early, in 96 of the day's 96 intervals`",
     "yes"},
    {EFinding::MisspelledTag, "misspelled-tag", EChangesPlay::Yes, "",
     "`line 12: the board does not read <Recrod>: did you mean <Record>? The record that begins "
     "there is not read`",
     "yes"},
    {EFinding::CommentEnd, "comment-end", EChangesPlay::Sometimes, "",
     "`line 9: the comment that begins here holds another <!--, and the board ends it at the "
     "first --> (line 11), not at line 14`",
     "when it moves a tag in or out of a comment"},
    {EFinding::Encoding, "encoding", EChangesPlay::Sometimes,
     "open it in a text editor and save it as UTF-8",
     "`.../forVrex.xml is saved as UTF-16, as Notepad's \"Unicode\" does: the board reads none "
     "of it` (or Latin-1: names with accents do not match the file names)",
     "yes, unless no name has accents"},
    {EFinding::MoreNotes, "more-notes", EChangesPlay::No, "mend those listed and check again",
     "`Further notes of this schedule are not listed` (after the first thousand)", "no"},
    {EFinding::MoreFindings, "more-findings", EChangesPlay::No, "mend those listed and check again",
     "`Further findings about the schedule's elements are not listed` (after the first thousand)",
     "no"},
};

// The entry of a_Kind.
constexpr const CFindingKind& KindOf(EFinding a_Kind) {
    return c_FindingKinds[std::size_t(a_Kind)];
}

// Each kind's entry stands at its own place, so KindOf finds it.
constexpr bool EntriesInOrder() {
    for (std::size_t i = 0; i < std::size(c_FindingKinds); ++i)
        if (c_FindingKinds[i].m_Kind != EFinding(i))
            return false;
    return std::size(c_FindingKinds) == std::size_t(EFinding::MoreFindings) + 1;
}
static_assert(EntriesInOrder(), "every kind has its entry, in the order of EFinding");

#endif
