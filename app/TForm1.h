#pragma once
// The main window "Export Bid Data": collects the bid links, the month and the Oracle
// select check box, runs the export job and shows its progress.
#include "TExport.h"
#include "TExportJob.h"
#include "TExportSession.h"

#include <QWidget>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QCloseEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class TODBC;
class TFlatLook;

class TForm1 : public QWidget, public TJobWindow {
  public:
    // SettingsFile empty: ZURIREV.ini where ReadODBCSettings looks for it.
    explicit TForm1(const std::string& SettingsFile = "", QWidget* Parent = nullptr);
    ~TForm1() override;

    QStatusBar* StatusBar1;
    QFrame* Panel1;
    QPlainTextEdit* Memo;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* btnGrabit;
    QPushButton* Button2;
    QLineEdit* ebxBidLink;
    QLineEdit* ebxMMYY;
    QCheckBox* cbxODBCError;
    // The log's context menu, owned by the window: the text area's standard entries.
    QMenu* MemoMenu;

    // The engine of the session; null after a failed start.
    TExport* Exporter = nullptr;
    TExportDialect ExportDialect = edOracle;
    // Local date for the job's month filter; empty: the system clock.
    std::function<std::tm()> JobClock;

    // True after a start without a connection; the application has been asked to end.
    bool StartFailed() const { return FStartFailed; }
    bool JobRunning() const { return FJobRunning; }

    void FormCreate(QObject* Sender);
    void FormDestroy(QObject* Sender);
    void btnGrabitClick(QObject* Sender);
    void Button2Click(QObject* Sender);
    void ExportProgress(const std::string& TableName, std::int32_t Row);

    // Window operations of the export job.
    std::string BidLinkText() override;
    void SetBidLinkText(const std::string& Text) override;
    std::string MonthText() override;
    bool OracleSelectChecked() override;
    void SetStatusText(const std::string& Text) override;
    void AppendLog(const std::string& Line) override;
    void ShowMessageBox(const std::string& Text) override;
    void SetButtonEnabled(bool Enabled) override;

  protected:
    void closeEvent(QCloseEvent* Event) override;

  private:
    void CreateControls();
    void CreateMemoMenu();
    void MemoContextMenu(const QPoint& Pos);

    std::string FSettingsFile;
    // Owns the connection (MainConnection) and the engine.
    TExportSession FSession;
    bool FStartFailed = false;
    bool FJobRunning = false;
    bool FCloseRequested = false;
};

// Program-wide objects.
extern TForm1* Form1;
extern TODBC* MainConnection;
extern TFlatLook* MainLook;
