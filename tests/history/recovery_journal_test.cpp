#include "history/recovery_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/memory_journal_file.h"
#include "support/platform_journal_files.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Kind = JournalRecord::Kind;

const std::string kLine1 = " 3/07/2021  2:05:09PM    3.45 VDC";
const std::string kLine2 = " 3/07/2021  2:05:10PM   -0.12 VDC";
const std::string kLine3 = " 3/07/2021  2:05:11PM   12.00 VDC";

// Journal text as a journal over it reads it.
RecoveryJournal journalOf(const std::string& content) {
    return RecoveryJournal(std::make_unique<MemoryJournalFile>(content));
}

// The readings a journal puts back onto an empty list, through rings of `ring` rows.
std::vector<std::string> replayedReadings(const RecoveryJournal& journal, std::uint32_t ring) {
    JournalReplayPosition at = replayStart(journal.scan());
    std::vector<std::string> texts;
    ReadingList list;
    SampleHistory history(ring);
    for (bool more = true; more; list.clear(), history.reset()) {
        more = journal.replayPiece(at, std::nullopt, list, history).full;
        for (std::size_t i = 0; i < list.rowCount(); ++i) texts.push_back(list.row(i).text);
    }
    return texts;
}

TEST(ParseJournal, RecordsStartAndTornEnds) {
    struct Case {
        const char* name;
        std::string content;
        bool started;
        std::size_t rowsBefore;
        std::string logFile;
        std::vector<JournalRecord> records;
        std::size_t skipped = 0;
    };
    const std::string start = "B 2 /logs/a.log\r\n";
    const Case cases[] = {
        {"empty", "", false, 0, "", {}},
        {"start only", start, true, 2, "/logs/a.log", {}},
        {"reading and tag",
         start + "R " + kLine1 + "\r\nT 2 probe moved\r\n",
         true,
         2,
         "/logs/a.log",
         {{Kind::Reading, 0, kLine1}, {Kind::Tag, 2, "probe moved"}}},
        {"tag with comma and empty tag",
         start + "T 0 a,b\r\nT 1 \r\n",
         true,
         2,
         "/logs/a.log",
         {{Kind::Tag, 0, "a,b"}, {Kind::Tag, 1, ""}}},
        {"torn last record",
         start + "R " + kLine1 + "\r\nR 3/07/2021  2:0",
         true,
         2,
         "/logs/a.log",
         {{Kind::Reading, 0, kLine1}}},
        {"torn after its CR",
         start + "R " + kLine1 + "\r\nR " + kLine2 + "\r",
         true,
         2,
         "/logs/a.log",
         {{Kind::Reading, 0, kLine1}}},
        {"torn start", "B 2 /logs/a", false, 0, "", {}},
        {"ports, the last one counts",
         start + "P 201\r\nR " + kLine1 + "\r\nP 7\r\nP x\r\n",
         true,
         2,
         "/logs/a.log",
         {{Kind::Reading, 0, kLine1}},
         1},
        {"no start first: its records kept",
         "R " + kLine1 + "\r\n" + start,
         false,
         0,
         "",
         {{Kind::Reading, 0, kLine1}},
         1},
        {"bad start number",
         "B x /logs/a.log\r\nR " + kLine1 + "\r\n",
         false,
         0,
         "",
         {{Kind::Reading, 0, kLine1}},
         1},
        {"garbage: no reading line, control characters in a tag",
         start + "R not a reading line\r\nR " + kLine1 + ",tag\r\nR " + kLine1 + "\x01\r\n" + "R " +
             kLine1.substr(0, 20) + "\r\nT 0 a\x01" + std::string(1, '\0') + "b\r\n",
         true,
         2,
         "/logs/a.log",
         {},
         5},
        {"LF alone ends nothing",
         start + "R " + kLine1 + "\nR " + kLine2 + "\n",
         true,
         2,
         "/logs/a.log",
         {}},
        {"senseless records skipped",
         start +
             "X what\r\nR\r\nT x tag\r\nT 5\r\nB 0 other.log\r\nT 99999999999999999999999 t\r\n" +
             "T 4 kept\r\n",
         true,
         2,
         "/logs/a.log",
         {{Kind::Tag, 4, "kept"}},
         6},
        {"a piece saved",
         start + "R " + kLine1 + "\r\nT 2 x\r\nR " + kLine2 + "\r\nK 4 1\r\nS t\r\nM l\r\n" +
             "D 4 1 /logs/b.log\r\nR " + kLine3 + "\r\n",
         true,
         4,
         "/logs/b.log",
         {{Kind::Reading, 0, kLine3}}},
        {"a tag after a piece",
         start + "R " + kLine1 + "\r\nD 3 0 b\r\nT 0 x\r\n",
         true,
         3,
         "b",
         {{Kind::Tag, 0, "x"}}},
        {"a record longer than any, then more",
         start + "R " + std::string(70000, '7') + "\r\nR " + kLine1 + "\r\n",
         true,
         2,
         "/logs/a.log",
         {{Kind::Reading, 0, kLine1}},
         1},
        {"a line end across two pieces of the file",
         start + "X " + std::string(65535 - start.size() - 2, 'x') + "\r\nR " + kLine1 + "\r\n",
         true,
         2,
         "/logs/a.log",
         {{Kind::Reading, 0, kLine1}},
         1},
    };
    for (const Case& c : cases) {
        const RecoveryJournal journal = journalOf(c.content);
        const JournalContents got = journal.scan();
        EXPECT_EQ(got.started, c.started) << c.name;
        EXPECT_EQ(got.rowsBefore, c.rowsBefore) << c.name;
        EXPECT_EQ(got.logFile, c.logFile) << c.name;
        EXPECT_EQ(got.skipped, c.skipped) << c.name;
        std::vector<std::string> readings;
        for (const JournalRecord& r : c.records)
            if (r.kind == Kind::Reading) readings.push_back(r.text);
        EXPECT_EQ(got.holdsRecords(), !c.records.empty()) << c.name;
        EXPECT_EQ(replayedReadings(journal, 1000), readings) << c.name;
    }
}

struct ExpectedRow {
    std::string text;
    std::string tag;
    bool tagged;
    float value;
};

// Two rows as the log loader leaves them from "/logs/a.log".
void loadTwoRows(ReadingList& list, SampleHistory& history) {
    list.appendRow("", kLine1);
    history.append(3.45f, 0, false);
    list.appendRow("old", kLine2);
    history.append(-0.12f, 0, true);
}

TEST(ReplayJournal, AppendsRowsAndReplaysTags) {
    struct Case {
        const char* name;
        std::string content;
        std::size_t applied;
        std::vector<ExpectedRow> rows;
        std::size_t skipped = 0;
    };
    const ExpectedRow row1{kLine1, "", false, 3.45f};
    const ExpectedRow row2{kLine2, "old", true, -0.12f};
    const ExpectedRow row3{kLine3, "", false, 12.0f};
    const std::string start = "B 2 /logs/a.log\r\n";
    const Case cases[] = {
        {"nothing", "", 0, {row1, row2}},
        {"start only", start, 0, {row1, row2}},
        {"a reading", start + "R " + kLine3 + "\r\n", 1, {row1, row2, row3}},
        {"tag on a new row",
         start + "R " + kLine3 + "\r\nT 2 new\r\n",
         2,
         {row1, row2, {kLine3, "new", true, 12.0f}}},
        {"tags on loaded rows",
         start + "T 0 first\r\nT 1 \r\n",
         2,
         {{kLine1, "first", true, 3.45f}, {kLine2, "", false, -0.12f}}},
        {"tag beyond the rows skipped", start + "T 7 lost\r\n", 0, {row1, row2}, 1},
        {"tag of a row that came later skipped",
         start + "T 2 early\r\nR " + kLine3 + "\r\n",
         1,
         {row1, row2, row3},
         1},
        {"no start: readings kept, tags cannot be placed",
         "R " + kLine3 + "\r\nT 2 lost\r\nR garbage\r\n",
         1,
         {row1, row2, row3},
         2},
        {"log shorter than the journal's start",
         "B 5 /logs/a.log\r\nT 1 earlier\r\nR " + kLine3 + "\r\nT 5 later\r\n",
         2,
         {row1, row2, {kLine3, "later", true, 12.0f}},
         1},
        {"over a longer log: its rows count from the log's end",
         "B 5 /logs/a.log\r\nT 3 fourth\r\nT 2 gone\r\nR " + kLine3 + "\r\nT 4 fifth\r\n" +
             "T 5 later\r\nT 18446744073709551615 lost\r\n",
         4,
         {{kLine1, "fourth", true, 3.45f},
          {kLine2, "fifth", true, -0.12f},
          {kLine3, "later", true, 12.0f}},
         2},
        {"torn reading ignored", start + "R " + kLine3, 0, {row1, row2}},
    };
    for (const Case& c : cases) {
        ReadingList list;
        SampleHistory history(100);
        loadTwoRows(list, history);
        const RecoveryJournal journal = journalOf(c.content);
        const JournalContents contents = journal.scan();
        JournalReplayPosition at = replayStart(contents);
        // The list's first row is the journal's row rowsBefore - 2.
        const std::optional<std::int64_t> firstRow =
            contents.started ? std::optional(static_cast<std::int64_t>(contents.rowsBefore) - 2)
                             : std::nullopt;
        const ReplayedPiece piece = journal.replayPiece(at, firstRow, list, history);
        EXPECT_FALSE(piece.full) << c.name;
        EXPECT_EQ(piece.applied, c.applied) << c.name;
        EXPECT_EQ(contents.skipped + piece.skipped, c.skipped) << c.name;
        ASSERT_EQ(list.rowCount(), c.rows.size()) << c.name;
        ASSERT_EQ(history.count(), c.rows.size()) << c.name;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            const ExpectedRow& want = c.rows[i];
            EXPECT_EQ(list.row(i).text, want.text) << c.name << " row " << i;
            EXPECT_EQ(list.row(i).tag, want.tag) << c.name << " row " << i;
            const Sample& sample = history.slot(static_cast<std::uint32_t>(i));
            EXPECT_EQ(sample.tagged(), want.tagged) << c.name << " row " << i;
            EXPECT_FLOAT_EQ(sample.value, want.value) << c.name << " row " << i;
        }
    }
}

// As logged readings go: a full ring stops the replay at the next reading
// (the caller saves it and empties it), tags after its last reading still find it.
TEST(ReplayJournal, RecoveredReadingsKeepTheirTimeOfDayAndFillTheRingAPieceAtATime) {
    ReadingList list;
    SampleHistory history(2);
    auto file = std::make_unique<MemoryJournalFile>("B 0 \r\nR " + kLine1 + "\r\nR " + kLine2 +
                                                    "\r\nT 1 late\r\nR " + kLine3 + "\r\n");
    MemoryJournalFile& disk = *file;
    const RecoveryJournal journal(std::move(file));
    JournalReplayPosition at = replayStart(journal.scan());
    EXPECT_TRUE(journal.replayPiece(at, 0, list, history).full);
    ASSERT_EQ(list.rowCount(), 2u);
    EXPECT_EQ(list.row(1).tag, "late");
    EXPECT_EQ(history.slot(1).timeOfDay, packTimeOfDay(2, 5, 10));
    list.clear();
    history.reset();
    // A read that fails is no end: the same records are read again later.
    disk.failing = true;
    EXPECT_TRUE(journal.replayPiece(at, 2, list, history).unreadable);
    EXPECT_TRUE(journal.scan().unreadable);
    disk.failing = false;
    EXPECT_FALSE(journal.replayPiece(at, 2, list, history).full);
    ASSERT_EQ(list.rowCount(), 1u);
    EXPECT_FLOAT_EQ(history.slot(0).value, 12.0f);
    EXPECT_EQ(history.slot(0).timeOfDay, packTimeOfDay(2, 5, 11));
    EXPECT_FALSE(journal.replayPiece(at, 3, list, history).full) << "nothing more";
    EXPECT_EQ(list.rowCount(), 1u);
}

RecoveryJournal openJournal(const std::string& path) {
    auto file = PlatformJournalFiles().make();
    EXPECT_EQ(file->open(path), JournalFile::Open::locked) << path;
    return RecoveryJournal(std::move(file));
}

TEST(RecoveryJournal, WritesWholeRecordsThatReadBackAndRestartsEmpty) {
    TempDir dir;
    const std::string path = journalPath(dir.path().string(), 1);
    RecoveryJournal journal = openJournal(path);
    ASSERT_TRUE(journal.isOpen());
    journal.restart(2, "/logs/a.log", 201, 100);
    journal.appendReading(kLine3);
    // Each record is in the file at once, not when the journal closes.
    EXPECT_EQ(journal.scan().readings, 1u);
    journal.recordPort(7);
    journal.appendTag(2, "probe \xb5");
    JournalContents read = journal.scan();
    EXPECT_TRUE(read.started);
    EXPECT_EQ(read.rowsBefore, 2u);
    EXPECT_EQ(read.logFile, "/logs/a.log");
    EXPECT_EQ(read.port, 7u);
    EXPECT_EQ(read.readingsBeforeLastTag, 1u);
    ReadingList list;
    SampleHistory history(3);
    JournalReplayPosition at = replayStart(read);
    EXPECT_EQ(journal.replayPiece(at, 2, list, history).applied, 2u);
    EXPECT_EQ(list.row(0), (ReadingRow{"probe \xb5", kLine3}));

    journal.restart(0, "b.log", 7, 100);
    read = journal.scan();
    EXPECT_EQ(read.rowsBefore, 0u);
    EXPECT_EQ(read.logFile, "b.log");
    EXPECT_FALSE(read.holdsRecords());
    journal.remove();
    EXPECT_FALSE(fs::exists(path));
}

TEST(RecoveryJournal, OpeningCutsATornRecordSoNewOnesFollowWholeOnes) {
    TempDir dir;
    const std::string path = dir.file("journal.txt");
    struct Case {
        const char* name;
        std::string before;
        std::size_t recordsAfter;
    };
    const std::string whole = "B 0 a.log\r\nR " + kLine1 + "\r\n";
    const Case cases[] = {
        {"whole", whole, 2},
        {"torn record", whole + "R " + kLine2.substr(0, 9), 2},
        {"torn after CR", whole + "R " + kLine2 + "\r", 2},
        {"torn start: the records after it still count", "B 0 a.l", 1},
        {"torn over more than a piece", whole + "R " + std::string(150000, '1'), 2},
        {"a CR LF across two pieces", whole + "x\r\nR " + std::string(65536 - 3, '1'), 2},
    };
    for (const Case& c : cases) {
        writeFileBytes(path, c.before);
        openJournal(path).appendReading(kLine3);
        const std::vector<std::string> readings =
            replayedReadings(journalOf(readFileBytes(path)), 100);
        EXPECT_EQ(readings.size(), c.recordsAfter) << c.name;
        if (c.recordsAfter > 0) {
            EXPECT_EQ(readings.back(), kLine3) << c.name;
        }
    }
}

// The journal's file: locked for one holder, and only while the path still names it.
TEST(JournalFile, OneHolderAtATime) {
    TempDir dir;
    PlatformJournalFiles files;
    const std::string path = dir.file("journal.txt");
    auto first = files.make();
    auto second = files.make();
    ASSERT_EQ(first->open(path), JournalFile::Open::locked);
    EXPECT_EQ(second->open(path), JournalFile::Open::busy);
    EXPECT_TRUE(first->append("abc"));
    EXPECT_TRUE(first->truncate(1));
    EXPECT_TRUE(first->append("de"));
    EXPECT_EQ(first->readAt(0, 10), std::optional<std::string>("ade"));
    EXPECT_EQ(first->readAt(1, 1), std::optional<std::string>("d"));
    EXPECT_EQ(first->readAt(5, 1), std::optional<std::string>(""));
    EXPECT_EQ(first->size(), std::optional<std::uint64_t>(3));
    EXPECT_TRUE(first->sync());
    first->reserve(1 << 20);
    EXPECT_EQ(fs::file_size(path), 3u) << "a reserve keeps the content";
    first->close();
    ASSERT_EQ(second->open(path), JournalFile::Open::locked);
    second->remove();
    EXPECT_FALSE(fs::exists(path));

    fs::create_directories(dir.path() / "folder");
    EXPECT_EQ(first->open(dir.file("folder")), JournalFile::Open::failed);
    EXPECT_EQ(first->open(dir.file("missing/journal.txt")), JournalFile::Open::failed);
    EXPECT_FALSE(first->isOpen());
}

TEST(JournalPaths, NumberedInOrderAndNothingElse) {
    TempDir dir;
    for (const char* name : {"journal-10.txt", "journal.txt", "journal-2.txt", "journal-1.txt",
                             "journal-x.txt", "journal.txt.bak", "other.txt"})
        writeFileBytes(dir.path() / name, "");
    std::vector<std::string> names;
    for (const std::string& path : journalPathsIn(dir.path().string()))
        names.push_back(fs::path(path).filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"journal.txt", "journal-2.txt", "journal-10.txt"}));
    EXPECT_EQ(fs::path(journalPath(dir.path().string(), 3)).filename(), "journal-3.txt");
    EXPECT_EQ(journalPath("", 1), "");
}

}  // namespace
