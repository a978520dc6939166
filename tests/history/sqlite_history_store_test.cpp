#include "history/sqlite_history_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "history/history_test_records.h"
#include "history/sqlite_db.h"

namespace fs = std::filesystem;

namespace {

class HistoryStoreFile : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/veltrane-history-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
        m_path = (m_folder / "Veltrane" / "history.sqlite3").string();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // Files in the store's folder other than the database and its journals.
    std::vector<std::string> MovedAside() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(m_path).parent_path())) {
            const std::string name = entry.path().filename().string();
            if (name.find(".damaged-") != std::string::npos || name.find(".unwritable-") != std::string::npos)
                if (name.find("-wal") == std::string::npos && name.find("-shm") == std::string::npos)
                    names.push_back(entry.path().string());
        }
        return names;
    }
    static size_t Count(SqliteHistoryStore& store) {
        return store.LoadSessions({}).value.size();
    }

    fs::path m_folder;
    std::string m_path;
};

TEST_F(HistoryStoreFile, KeepsEverySessionAndDrillFieldAcrossReopening) {
    SessionRecord every = GeneratedSession(7);
    for (int b = 1; b < 256; ++b) every.sentText += static_cast<char>(b);  // prosign codes, Latin-1
    every.copyText = "\x06\xE4\n";
    every.dotPitchHz = 770;
    every.alignedAccuracyPercent = 12.5;
    DrillRecord drill;
    drill.kind = DrillKind::Callsign;
    drill.startUtcSeconds = 5;
    drill.lessonCharacters = "km\x05";
    drill.speedScores = {{100, 10, 8, 95}, {125, 4, 1, 20}};
    DrillRecord recognition;
    recognition.characters = {{'K', 5, 1, 310}, {'M', 0, 3, -1}};
    {
        SqliteHistoryStore store(m_path);
        const HistoryResult<int64_t> added = store.AddSession(every);
        EXPECT_FALSE(added.notice) << added.notice.detail;
        every.id = added.value;
        EXPECT_GT(every.id, 0);
        drill.id = store.AddDrill(drill).value;
        recognition.id = store.AddDrill(recognition).value;
    }
    SqliteHistoryStore store(m_path);
    EXPECT_EQ(store.LoadSession(every.id).value, every);
    EXPECT_EQ(store.LoadDrills(DrillKind::Callsign).value, std::vector<DrillRecord>{drill});
    EXPECT_EQ(store.LoadDrills(DrillKind::Recognition).value, std::vector<DrillRecord>{recognition});
    // Without texts unless asked.
    const std::vector<SessionRecord> summaries = store.LoadSessions({}).value;
    ASSERT_EQ(summaries.size(), 1u);
    EXPECT_TRUE(summaries[0].sentText.empty());
    EXPECT_EQ(summaries[0].characters, every.characters);
    EXPECT_EQ(summaries[0].confusions, every.confusions);

    SqliteDatabase raw(m_path, false);
    EXPECT_EQ(raw.QueryText("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(raw.QueryInt("PRAGMA user_version"), 1);
}

TEST_F(HistoryStoreFile, ListsTheNewestSessionsOldestFirstAndDeletesOneWithItsDetails) {
    SqliteHistoryStore store(m_path);
    // Added out of order: the list follows the start times.
    for (int i : {3, 0, 2, 1, 4}) store.AddSession(GeneratedSession(i));
    const std::vector<SessionRecord> newest = store.LoadSessions({3, false}).value;
    ASSERT_EQ(newest.size(), 3u);
    EXPECT_EQ(newest[0].startUtcSeconds, GeneratedSession(2).startUtcSeconds);
    EXPECT_EQ(newest[2].startUtcSeconds, GeneratedSession(4).startUtcSeconds);

    EXPECT_TRUE(store.DeleteSession(newest[1].id).value);
    EXPECT_FALSE(store.DeleteSession(newest[1].id).value);
    EXPECT_EQ(Count(store), 4u);
    EXPECT_EQ(store.LoadSession(newest[1].id).value.id, 0);
    SqliteDatabase raw(m_path, false);
    EXPECT_EQ(raw.QueryInt(("SELECT count(*) FROM session_characters WHERE session_id = " +
                            std::to_string(newest[1].id)).c_str()),
              0);
}

TEST_F(HistoryStoreFile, MovesADamagedFileAsideAndStartsANewOne) {
    struct Damage {
        const char* name;
        void (*apply)(const std::string& path);
    } damages[] = {
        {"not a database", [](const std::string& path) { std::ofstream(path) << "my notes, not a history"; }},
        {"pages overwritten",
         [](const std::string& path) {
             std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(4096 + 100);
             for (int i = 0; i < 8192; ++i) f.put(static_cast<char>(0x5A));
         }},
        {"another program's database",
         [](const std::string& path) {
             fs::remove(path);
             SqliteDatabase other(path, true);
             other.Execute("CREATE TABLE recipes (name TEXT)");
         }},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        fs::remove_all(fs::path(m_path).parent_path());
        {
            SqliteHistoryStore store(m_path);
            for (int i = 0; i < 30; ++i) store.AddSession(GeneratedSession(i));
        }
        damage.apply(m_path);
        const auto before = fs::file_size(m_path);

        SqliteHistoryStore store(m_path);
        const HistoryResult<std::vector<SessionRecord>> loaded = store.LoadSessions({0, true});
        EXPECT_EQ(loaded.notice.problem, HistoryProblem::Damaged);
        EXPECT_NE(loaded.notice.movedAsidePath.find("history.sqlite3.damaged-"), std::string::npos);
        EXPECT_EQ(fs::file_size(loaded.notice.movedAsidePath), before);  // moved, not changed
        EXPECT_TRUE(loaded.value.empty());

        const HistoryResult<int64_t> added = store.AddSession(GeneratedSession(99));
        EXPECT_FALSE(added.notice) << added.notice.detail;
        EXPECT_GT(added.value, 0);
        EXPECT_EQ(Count(store), 1u);
        EXPECT_EQ(MovedAside().size(), 1u);
    }
}

TEST_F(HistoryStoreFile, DamageFoundWhileWritingStillKeepsTheRecord) {
    fs::create_directories(fs::path(m_path).parent_path());
    std::ofstream(m_path) << std::string(5000, 'x');
    SqliteHistoryStore store(m_path);
    const HistoryResult<int64_t> added = store.AddSession(GeneratedSession(1));
    EXPECT_EQ(added.notice.problem, HistoryProblem::Damaged);
    EXPECT_EQ(MovedAside(), std::vector<std::string>{added.notice.movedAsidePath});
    EXPECT_GT(added.value, 0);
    EXPECT_EQ(added.notice.pendingRecords, 0);
    EXPECT_EQ(store.LoadSession(added.value).value.sentText, GeneratedSession(1).sentText);
}

TEST_F(HistoryStoreFile, KeepsRecordsInMemoryWhileTheFileIsLockedAndWritesThemLater) {
    SqliteHistoryStore store(m_path);
    store.AddSession(GeneratedSession(0));
    {
        SqliteDatabase other(m_path, false);
        other.Execute("BEGIN EXCLUSIVE");
        const HistoryResult<int64_t> added = store.AddSession(GeneratedSession(1));
        EXPECT_EQ(added.notice.problem, HistoryProblem::Busy);
        EXPECT_EQ(added.value, 0);
        EXPECT_EQ(added.notice.pendingRecords, 1);
        EXPECT_TRUE(MovedAside().empty());  // a locked file is another program's, never moved
        other.Execute("ROLLBACK");
    }
    EXPECT_FALSE(store.AddSession(GeneratedSession(2)).notice);
    EXPECT_EQ(Count(store), 3u);
}

TEST_F(HistoryStoreFile, WithNoFolderToWriteInRecordsWaitUntilThereIs) {
    // A file where the folder should be: nothing can be created there.
    std::ofstream((m_folder / "Veltrane").string()) << "x";
    {
        SqliteHistoryStore store(m_path);
        const HistoryResult<int64_t> added = store.AddSession(GeneratedSession(1));
        EXPECT_EQ(added.notice.problem, HistoryProblem::Unavailable);
        EXPECT_EQ(added.notice.pendingRecords, 1);
        fs::remove(m_folder / "Veltrane");
        EXPECT_FALSE(store.Flush());
        EXPECT_EQ(Count(store), 1u);
    }
    // And what waits is written when the store is closed.
    {
        std::ofstream((m_folder / "blocked").string()) << "x";
        SqliteHistoryStore store((m_folder / "blocked" / "h.sqlite3").string());
        store.AddSession(GeneratedSession(2));
        fs::remove(m_folder / "blocked");
    }
    SqliteHistoryStore reopened((m_folder / "blocked" / "h.sqlite3").string());
    EXPECT_EQ(Count(reopened), 1u);
}

TEST_F(HistoryStoreFile, MovesAReadOnlyFileAside) {
    { SqliteHistoryStore(m_path).AddSession(GeneratedSession(0)); }
    fs::permissions(m_path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    // Root may write any file, so the store runs as an ordinary user in a child process.
    fs::permissions(m_folder, fs::perms::all);
    fs::permissions(fs::path(m_path).parent_path(), fs::perms::all);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(10);
        SqliteHistoryStore store(m_path);
        const HistoryResult<int64_t> added = store.AddSession(GeneratedSession(1));
        const bool ok = added.notice.problem == HistoryProblem::Unwritable && added.value > 0 &&
                        added.notice.movedAsidePath.find(".unwritable-") != std::string::npos;
        _exit(ok ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ASSERT_EQ(MovedAside().size(), 1u);
    SqliteHistoryStore old(MovedAside()[0]);
    EXPECT_EQ(old.LoadSessions({}).value.size(), 1u);  // the old file, whole
}

TEST_F(HistoryStoreFile, OpensAgainWithEveryEarlierRecordAfterAKillMidWrite) {
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(pipeFds[0]);
            SqliteHistoryStore store(m_path);
            for (int i = 0;; ++i) {
                if (store.AddSession(GeneratedSession(i)).value <= 0) _exit(3);
                const char done = 1;  // record i is committed
                if (write(pipeFds[1], &done, 1) != 1) _exit(4);
            }
        }
        close(pipeFds[1]);
        // Let it commit a varying number of records, then kill it wherever it is.
        int committed = 0;
        char byte = 0;
        while (committed < 5 + round * 7 && read(pipeFds[0], &byte, 1) == 1) ++committed;
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        while (read(pipeFds[0], &byte, 1) == 1) ++committed;
        close(pipeFds[0]);

        SqliteHistoryStore store(m_path);
        const HistoryResult<std::vector<SessionRecord>> loaded = store.LoadSessions({0, true});
        EXPECT_FALSE(loaded.notice) << loaded.notice.detail;
        {
            SqliteDatabase raw(m_path, false);
            EXPECT_EQ(raw.QueryText("PRAGMA integrity_check"), "ok");
        }
        fs::remove_all(fs::path(m_path).parent_path());
        // Every committed record, whole; at most the one being written besides (committed
        // just before the kill, unreported).
        ASSERT_GE(loaded.value.size(), static_cast<size_t>(committed));
        ASSERT_LE(loaded.value.size(), static_cast<size_t>(committed) + 1);
        for (size_t i = 0; i < loaded.value.size(); ++i) {
            SessionRecord expected = GeneratedSession(static_cast<int>(i));
            expected.id = loaded.value[i].id;
            EXPECT_EQ(loaded.value[i], expected) << i;
        }
    }
}

TEST_F(HistoryStoreFile, ReadsAndWritesAFileOfANewerVersion) {
    { SqliteHistoryStore(m_path).AddSession(GeneratedSession(0)); }
    {
        SqliteDatabase raw(m_path, false);
        raw.Execute("ALTER TABLE sessions ADD COLUMN mood TEXT; PRAGMA user_version = 7");
    }
    SqliteHistoryStore store(m_path);
    EXPECT_FALSE(store.AddSession(GeneratedSession(1)).notice);
    EXPECT_EQ(Count(store), 2u);
    EXPECT_TRUE(MovedAside().empty());
}

TEST(HistoryStorePath, FollowsXdgDataHome) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string restore = saved ? saved : "";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(SqliteHistoryStore::DefaultPath(), "/data/home/Veltrane/history.sqlite3");
    setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored
    setenv("HOME", (std::string(std::getenv("HOME") ? std::getenv("HOME") : "/root")).c_str(), 1);
    EXPECT_EQ(SqliteHistoryStore::DefaultPath(),
              std::string(std::getenv("HOME")) + "/.local/share/Veltrane/history.sqlite3");
    if (saved)
        setenv("XDG_DATA_HOME", restore.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

}  // namespace
