// The main window on Qt's offscreen platform, with the real SQLite ODBC driver behind it.
#include "TForm1.h"
#include "AppTestSupport.h"
#include "QtUiHooks.h"
#include "Settings.h"
#include "UiHooks.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "app_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

std::string Text(const QString& s) {
    return s.toStdString();
}

std::string NextSourceName() {
    static int n = 0;
    return "wintest" + std::to_string(++n);
}

class WindowTest : public ::testing::Test {
  protected:
    // A new source name for each test: unixODBC caches odbc.ini while the driver manager stays
    // loaded (as it does in sanitizer builds) and may not notice a rewrite within the same
    // second, which would send a later test to an earlier test's deleted database.
    SqliteScratch Db{NextSourceName()};
    std::vector<std::string> Boxes;
    std::function<void()> OnPump;
    UiHooks Previous;

    void SetUp() override {
        EnsureApp();
        Db.Exec("CREATE TABLE bidstatus(bid_link varchar(20), created date);"
                "INSERT INTO bidstatus VALUES('B1','2024-01-01');"
                "CREATE TABLE bid_items(recno integer, bid_link varchar(20), descr varchar(40));"
                "CREATE TABLE other(x integer);" +
                FillRows("bid_items", 1500, "'B' || (i % 3)"));
        WriteSettings("[ODBC Parameters]\nDNS Name=" + Db.DataSource + "\n");
        Previous = InstallUiHooks(UiHooks{[this] {
                                              if (OnPump) OnPump();
                                          },
                                          [this](const std::string& t) { Boxes.push_back(t); }});
    }
    void TearDown() override { InstallUiHooks(Previous); }
    void WriteSettings(const std::string& Content) { WriteFile(Db.File("settings.ini"), Content); }
    std::unique_ptr<TForm1> MakeForm() { return std::make_unique<TForm1>(Db.File("settings.ini")); }
};

TEST_F(WindowTest, LayoutAndInitialState) {
    auto form = MakeForm();
    form->show();
    QCoreApplication::processEvents();
    TForm1& f = *form;

    EXPECT_EQ(Text(f.windowTitle()), "Export Bid Data");
    EXPECT_EQ(f.size(), QSize(498, 308));
    EXPECT_EQ(f.font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(f.font().pointSize(), 8);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QPoint delta = f.geometry().center() - screen->availableGeometry().center();
        EXPECT_LE(delta.manhattanLength(), 4) << "centred";
    }

    EXPECT_EQ(f.Memo->geometry(), QRect(0, 0, 498, 228));
    EXPECT_EQ(f.Panel1->geometry(), QRect(0, 228, 498, 61));
    EXPECT_EQ(f.StatusBar1->geometry(), QRect(0, 289, 498, 19));
    EXPECT_EQ(f.btnGrabit->geometry(), QRect(415, 6, 75, 25));
    EXPECT_EQ(f.Button2->geometry(), QRect(415, 33, 75, 25));
    EXPECT_EQ(f.ebxBidLink->geometry(), QRect(109, 6, 125, 21));
    EXPECT_EQ(f.ebxMMYY->geometry(), QRect(109, 33, 60, 21));
    EXPECT_EQ(f.cbxODBCError->geometry(), QRect(244, 30, 161, 25));
    EXPECT_EQ(f.Label1->pos(), QPoint(6, 10));
    EXPECT_EQ(f.Label2->pos(), QPoint(42, 24));
    EXPECT_EQ(f.Label3->pos(), QPoint(12, 37));
    for (QWidget* w : std::initializer_list<QWidget*>{f.btnGrabit, f.Button2, f.ebxBidLink, f.ebxMMYY,
                                                      f.cbxODBCError, f.Label1, f.Label2, f.Label3})
        EXPECT_EQ(w->parentWidget(), f.Panel1) << Text(w->objectName());

    EXPECT_EQ(Text(f.Label1->text()), "Bid Link - (Blank=All)");
    EXPECT_EQ(Text(f.Label2->text()), "- or -");
    EXPECT_EQ(Text(f.Label3->text()), "Since Month (MM)");
    EXPECT_EQ(Text(f.btnGrabit->text()), "Get Bid Data");
    EXPECT_EQ(Text(f.Button2->text()), "Exit");
    EXPECT_EQ(Text(f.cbxODBCError->text()), "Oracle ODBC Select (use this when SQLGetColumns() fails)");
    // Whatever face stands in for Tahoma, the captions keep within their places: the labels
    // end before the text boxes, and the check box caption takes two lines, as in Tahoma (a
    // third would fall outside the box).
    EXPECT_LT(f.Label1->geometry().right(), f.ebxBidLink->x());
    EXPECT_LT(f.Label3->geometry().right(), f.ebxMMYY->x());
    {
        const int indicator = f.cbxODBCError->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 4;
        const QRect caption = f.cbxODBCError->fontMetrics().boundingRect(
            QRect(0, 0, f.cbxODBCError->width() - indicator, 1000), Qt::TextWordWrap, f.cbxODBCError->text());
        EXPECT_LE(caption.height(), 2 * f.cbxODBCError->fontMetrics().lineSpacing());
    }
    EXPECT_FALSE(f.btnGrabit->isDefault() || f.btnGrabit->autoDefault() || f.Button2->isDefault() ||
                 f.Button2->autoDefault());

    EXPECT_TRUE(f.Memo->toPlainText().isEmpty());
    EXPECT_TRUE(f.StatusBar1->currentMessage().isEmpty());
    EXPECT_TRUE(f.ebxBidLink->text().isEmpty() && f.ebxMMYY->text().isEmpty());
    EXPECT_FALSE(f.cbxODBCError->isChecked());
    EXPECT_TRUE(f.btnGrabit->isEnabled());
    EXPECT_EQ(f.ExportDialect, edOracle) << "SQLite is none of MySQL and Firebird";
    EXPECT_TRUE(Boxes.empty());

    // Tab order: the log first, the status bar never.
    std::vector<std::string> chain;
    QWidget* w = f.Memo;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&f)) chain.push_back(Text(w->objectName()));
        w = w->nextInFocusChain();
    } while (w != f.Memo);
    EXPECT_EQ(chain, (std::vector<std::string>{"Memo", "Button2", "btnGrabit", "ebxBidLink", "ebxMMYY",
                                               "cbxODBCError"}));

    f.resize(700, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.Memo->geometry(), QRect(0, 0, 700, 320));
    EXPECT_EQ(f.Panel1->geometry(), QRect(0, 320, 700, 61));
    EXPECT_EQ(f.StatusBar1->geometry(), QRect(0, 381, 700, 19));
    EXPECT_EQ(f.btnGrabit->geometry(), QRect(415, 6, 75, 25)) << "panel controls keep their place";
}

TEST_F(WindowTest, GetBidDataWritesTheFileAndReports) {
    auto form = MakeForm();
    form->show();
    std::vector<bool> enabledDuringJob;
    std::vector<std::string> statusDuringJob;
    OnPump = [&] {
        enabledDuringJob.push_back(form->btnGrabit->isEnabled());
        statusDuringJob.push_back(Text(form->StatusBar1->currentMessage()));
    };
    form->ebxBidLink->setText("b1");
    form->btnGrabit->click();

    ASSERT_FALSE(enabledDuringJob.empty());
    EXPECT_EQ(std::count(enabledDuringJob.begin(), enabledDuringJob.end(), true), 0);
    EXPECT_NE(std::find(statusDuringJob.begin(), statusDuringJob.end(), "Exporting Table bid_items..."),
              statusDuringJob.end());
    EXPECT_TRUE(form->btnGrabit->isEnabled());
    EXPECT_EQ(Text(form->StatusBar1->currentMessage()), "Done.");
    EXPECT_EQ(Text(form->ebxBidLink->text()), "B1");
    EXPECT_EQ(CountOf(ReadFile(Db.File("Bid_Oracle_Data.sql")), "INSERT INTO bid_items "), 500);
    const std::string first = "Dumping table bidstatus row 1\nTotal rows dumped -  1\n"
                              "Dumping table bid_items row 1\nTotal rows dumped -  500\n\n"
                              "File: BID_ORACLE_DATA.SQL created...\n";
    EXPECT_EQ(Text(form->Memo->toPlainText()), first);

    // A second job appends its lines after the first's.
    form->ebxBidLink->clear();
    form->btnGrabit->click();
    const std::string log = Text(form->Memo->toPlainText());
    EXPECT_EQ(log.rfind(first, 0), 0u);
    EXPECT_NE(log.find("Total rows dumped -  1500\n\nFile: BID_ORACLE_DATA_A.SQL created..."),
              std::string::npos);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(WindowTest, ExitDuringAJobLetsItFinishThenCloses) {
    auto form = MakeForm();
    form->show();
    bool visibleAfterExit = false;
    int pumps = 0;
    OnPump = [&] {
        if (++pumps == 1) {
            form->Button2->click();
            QCoreApplication::processEvents();
            visibleAfterExit = form->isVisible();
        }
    };
    form->btnGrabit->click();
    EXPECT_TRUE(visibleAfterExit) << "the window stays open while the job runs";
    EXPECT_FALSE(form->isVisible()) << "closed once the job has returned";
    EXPECT_EQ(CountOf(ReadFile(Db.File("Bid_Oracle_Data.sql")), "INSERT INTO bid_items "), 1500);
    EXPECT_NE(Text(form->Memo->toPlainText()).find("File: BID_ORACLE_DATA.SQL created..."),
              std::string::npos);

    // Without a job, Exit closes at once.
    form->show();
    form->Button2->click();
    EXPECT_FALSE(form->isVisible());
}

TEST_F(WindowTest, WindowAnswersWhileALargeJobRuns) {
    Db.Exec(FillRows("bid_items", 150000, "'B'"));
    auto form = MakeForm();
    form->show();
    OnPump = PumpQtEvents;
    std::vector<std::chrono::steady_clock::time_point> ticks;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (form->JobRunning()) ticks.push_back(std::chrono::steady_clock::now());
    });
    timer.start(5);
    const auto start = std::chrono::steady_clock::now();
    form->btnGrabit->click();
    const auto spent = std::chrono::steady_clock::now() - start;
    timer.stop();
    ASSERT_GE(ticks.size(), 2u) << "timers run during the job";
    std::chrono::steady_clock::duration longest{};
    for (std::size_t i = 1; i < ticks.size(); ++i)
        longest = std::max(longest, ticks[i] - ticks[i - 1]);
    EXPECT_LT(longest, std::chrono::milliseconds(200)) << "longest gap between window events";
    std::printf("job %lld ms, %zu timer ticks, longest gap %lld ms\n",
                (long long)std::chrono::duration_cast<std::chrono::milliseconds>(spent).count(), ticks.size(),
                (long long)std::chrono::duration_cast<std::chrono::milliseconds>(longest).count());
}

TEST_F(WindowTest, FailedConnectShowsTheDataSourceName) {
    WriteSettings("[odbc parameters]\ndns name = \"nosuch\"\n");
    {
        auto form = MakeForm();
        EXPECT_TRUE(form->StartFailed());
        EXPECT_EQ(MainConnection, nullptr);
        EXPECT_EQ(form->Exporter, nullptr);
    }
    // The driver manager's diagnostic follows on a line of its own: no such data source.
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].rfind("Cannot connect to Datasource: nosuch\nIM002: ", 0), 0u) << Boxes[0];
}

// A full disk under the window: the message and the log name the temporary file and the
// system's reason, the final name is never taken, and the status ends at "Done.".
TEST_F(WindowTest, FullDiskIsNamedInTheMessageAndTheLog) {
    Db.Exec(FillRows("bid_items", 20000, "'B'"));
    SmallTmpfs disk(Db.File("small"), "64k");
    FERROCAN_REQUIRE_MOUNT(disk);
    auto form = MakeForm();
    ASSERT_EQ(chdir(Db.File("small").c_str()), 0);
    form->btnGrabit->click();
    ASSERT_EQ(chdir(Db.Dir.Path().c_str()), 0);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_NE(Boxes[0].find("Bid_Oracle_Data.sql.partial: write failed: No space left on device"), std::string::npos) << Boxes[0];
    EXPECT_NE(Boxes[0].find("kept in Bid_Oracle_Data.sql.partial"), std::string::npos) << Boxes[0];
    const std::string log = Text(form->Memo->toPlainText());
    EXPECT_NE(log.find("No space left on device"), std::string::npos) << log;
    EXPECT_NE(log.find("ERROR! File NOT created!?"), std::string::npos) << log;
    EXPECT_EQ(log.find("created..."), std::string::npos) << log;
    EXPECT_EQ(Text(form->StatusBar1->currentMessage()), "Done.");
    EXPECT_FALSE(std::filesystem::exists(Db.File("small/Bid_Oracle_Data.sql")));
    EXPECT_TRUE(form->btnGrabit->isEnabled());
}

// No settings file names no source: the start fails, and no driver is asked to connect to an
// empty name (unixODBC gave "DRIVER={}" to the first registered driver, and the SQLite driver
// opened a database file of that name in the working folder and connected).
TEST_F(WindowTest, MissingSettingsFileFailsWithoutCreatingAFile) {
    auto filesHere = [this] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(Db.Dir.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = filesHere();
    {
        TForm1 form(Db.File("missing/ZURIREV.ini"));
        EXPECT_TRUE(form.StartFailed());
        EXPECT_EQ(MainConnection, nullptr);
    }
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].rfind("Cannot connect to Datasource: \n", 0), 0u) << "nothing after the blank, then the reason";
    EXPECT_EQ(filesHere(), before);
}

// The real program, copied beside a ZURIREV.ini of its own: the settings file beside the
// program is used, the message names the data source and the exit code is 0.
TEST_F(WindowTest, ProgramWithUnreachableSourceEndsWithCodeZero) {
    const std::string program = Db.File("bin/ferrocan");
    std::filesystem::create_directories(Db.File("bin"));
    std::filesystem::copy_file(BinaryDir() + "/app/ferrocan", program);
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    WriteFile(Db.File("bin/ZURIREV.ini"), "[ODBC Parameters]\nDNS Name=NoSuchSource\n");
    // The one in the working folder is not the one used.
    WriteFile(Db.File("ZURIREV.ini"), "[ODBC Parameters]\nDNS Name=WorkingFolder\n");

    std::string output;
    EXPECT_EQ(RunCommand("cd '" + Db.Dir.Path() + "' && timeout 60 bin/ferrocan", &output), 0) << output;
    EXPECT_NE(output.find("Cannot connect to Datasource: NoSuchSource"), std::string::npos) << output;
    EXPECT_EQ(output.find("WorkingFolder"), std::string::npos);
}

TEST(EventPump, ThrottledPumpIsCheap) {
    EnsureApp();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 1000000; ++i)
        PumpQtEvents();
    const auto spent = std::chrono::steady_clock::now() - start;
    EXPECT_LT(spent, std::chrono::seconds(1)) << "a million pumps, as many as rows in a large export";
}

} // namespace
