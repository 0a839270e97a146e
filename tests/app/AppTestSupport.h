#pragma once
// Shared pieces of the app tests: a recording double of the job's window operations and a
// SQLite database reached through the real SQLite ODBC driver.
#include "TExport.h"
#include "TJobWindow.h"
#include "TODBC.h"
#include "TestEnv.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TRecordingWindow : public TJobWindow {
  public:
    std::string BidLink, Month;
    bool OracleSelect = false;
    std::vector<std::string> Status, Log, Boxes;
    std::vector<bool> ButtonStates;
    // Called on every status change, so a test can act in the middle of a job.
    std::function<void(const std::string&)> OnStatus;

    std::string BidLinkText() override { return BidLink; }
    void SetBidLinkText(const std::string& Text) override { BidLink = Text; }
    std::string MonthText() override { return Month; }
    bool OracleSelectChecked() override { return OracleSelect; }
    void SetStatusText(const std::string& Text) override {
        Status.push_back(Text);
        if (OnStatus) OnStatus(Text);
    }
    void AppendLog(const std::string& Line) override { Log.push_back(Line); }
    void ShowMessageBox(const std::string& Text) override { Boxes.push_back(Text); }
    void SetButtonEnabled(bool Enabled) override { ButtonStates.push_back(Enabled); }
    // The operator's stop (the headless program's Ctrl-C).
    bool Stop = false;
    bool StopRequested() override { return Stop; }
};

// A small file system mounted over Path for the length of a test: a full disk (Size
// bytes) or, with ReadOnly, a folder nothing can be written into even by root. Mounting
// needs root; a test that cannot mount skips with Reason() (see FERROCAN_REQUIRE_MOUNT).
class SmallTmpfs {
  public:
    SmallTmpfs(const std::string& Path, const std::string& Size, bool ReadOnly = false) : FPath(Path) {
        std::filesystem::create_directories(Path);
        std::string out;
        FMounted = RunCommand("mount -t tmpfs -o size=" + Size + (ReadOnly ? ",ro" : "") + " tmpfs '" + Path +
                                  "' 2>&1",
                              &out) == 0;
        if (!FMounted) FReason = "cannot mount a tmpfs on " + Path + " (needs root): " + out;
    }
    ~SmallTmpfs() {
        if (FMounted) RunCommand("umount '" + FPath + "'");
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;
    bool Mounted() const { return FMounted; }
    const std::string& Reason() const { return FReason; }

  private:
    std::string FPath, FReason;
    bool FMounted = false;
};

// Skips the current test, saying why, when the file system could not be mounted.
#define FERROCAN_REQUIRE_MOUNT(Fs)                                                                                    \
    if (!(Fs).Mounted()) GTEST_SKIP() << (Fs).Reason()

// A scratch folder that is also the current folder (the job writes its file there), with
// a SQLite database and a data source for it.
class SqliteScratch {
  public:
    explicit SqliteScratch(const std::string& DataSource) : DataSource(DataSource) {
        DbPath = Dir.File("bids.db");
        char buf[4096];
        OldCwd = getcwd(buf, sizeof buf) ? buf : "/";
        EXPECT_EQ(chdir(Dir.Path().c_str()), 0);
        AddSqliteDataSource(DataSource, DbPath);
    }
    ~SqliteScratch() { (void)!chdir(OldCwd.c_str()); }

    void Exec(const std::string& Sql) { SqliteExec(DbPath, Sql); }
    std::string File(const std::string& Name) const { return Dir.File(Name); }

    ScratchDir Dir;
    std::string DataSource, DbPath, OldCwd;
};

// Rows of a table: n rows numbered 1..n with a bid link each, as one INSERT ... SELECT.
inline std::string FillRows(const std::string& Table, int Rows, const std::string& BidLinkExpr) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<" + std::to_string(Rows) +
           ") INSERT INTO " + Table + " SELECT i, " + BidLinkExpr + ", 'row ' || i FROM n;\n";
}

inline int CountOf(const std::string& Hay, const std::string& Needle) {
    int n = 0;
    for (std::size_t p = Hay.find(Needle); p != std::string::npos; p = Hay.find(Needle, p + 1))
        ++n;
    return n;
}
