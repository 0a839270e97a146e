#include "TForm1.h"

#include "Settings.h"
#include "TExportJob.h"
#include "TFlatLook.h"
#include "TODBC.h"
#include "UiHooks.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QVBoxLayout>

#include <algorithm>

TForm1* Form1 = nullptr;
TODBC* MainConnection = nullptr;
TFlatLook* MainLook = nullptr;

namespace {

QString ToQ(const std::string& s) {
    return QString::fromLocal8Bit(s.data(), qsizetype(s.size()));
}
std::string FromQ(const QString& s) {
    return s.toLocal8Bit().toStdString();
}

// A check box whose caption wraps onto further lines within the box's width.
class TWrapCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        const QString caption = opt.text;
        opt.text.clear();
        QStyleOptionButton indicator = opt;
        indicator.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, this);
        indicator.rect.moveTop((height() - indicator.rect.height()) / 2);
        p.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);
        QRect textRect = rect();
        textRect.setLeft(indicator.rect.right() + 4);
        p.drawItemText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, palette(), isEnabled(),
                       caption, QPalette::WindowText);
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace

TForm1::TForm1(const std::string& SettingsFile, QWidget* Parent)
    : QWidget(Parent), FSettingsFile(SettingsFile) {
    CreateControls();
    FormCreate(this);
}

TForm1::~TForm1() {
    FormDestroy(this);
}

void TForm1::CreateControls() {
    setWindowTitle(QStringLiteral("Export Bid Data"));
    // Where Tahoma is missing, narrow faces keep the fixed layout's captions within their
    // places better than the platform's default sans.
    QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                               {QStringLiteral("DejaVu Sans Condensed"),
                                QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Arial"),
                                QStringLiteral("Liberation Sans")});
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    if (QFontInfo(font).family() != QStringLiteral("Tahoma")) {
        // Even the narrow substitutes run wider than Tahoma, which pushes the first label into
        // the text box beside it and the check box caption onto a third line that the box
        // cuts off. The substitute is narrowed to the labels' widths in Tahoma (97, 24 and 85
        // pixels at 96 pixels per inch); stretch scales widths from the face's normal width.
        QFont normal = font;
        normal.setStretch(QFont::Unstretched);
        const QFontMetrics metrics(normal);
        const int width = metrics.horizontalAdvance(QStringLiteral("Bid Link - (Blank=All)")) +
                          metrics.horizontalAdvance(QStringLiteral("- or -")) +
                          metrics.horizontalAdvance(QStringLiteral("Since Month (MM)"));
        const double tahoma = (97 + 24 + 85) * logicalDpiX() / 96.0;
        if (width > tahoma) font.setStretch(std::clamp(static_cast<int>(100 * tahoma / width), 50, 100));
    }
    setFont(font);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    resize(498, 308);

    Memo = new QPlainTextEdit(this);
    Memo->setObjectName("Memo");
    Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo->setTabChangesFocus(true);
    CreateMemoMenu();

    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::NoFrame);
    Panel1->setFixedHeight(61);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->setFixedHeight(19);
    StatusBar1->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Memo, 1);
    layout->addWidget(Panel1);
    layout->addWidget(StatusBar1);

    auto label = [this](const char* name, const char* caption, int left, int top) {
        auto* l = new QLabel(QString::fromLatin1(caption), Panel1);
        l->setObjectName(name);
        l->move(left, top);
        l->adjustSize();
        return l;
    };
    Label1 = label("Label1", "Bid Link - (Blank=All)", 6, 10);
    Label2 = label("Label2", "- or -", 42, 24);
    Label3 = label("Label3", "Since Month (MM)", 12, 37);

    btnGrabit = new QPushButton(QStringLiteral("Get Bid Data"), Panel1);
    btnGrabit->setObjectName("btnGrabit");
    btnGrabit->setGeometry(415, 6, 75, 25);
    Button2 = new QPushButton(QStringLiteral("Exit"), Panel1);
    Button2->setObjectName("Button2");
    Button2->setGeometry(415, 33, 75, 25);
    for (QPushButton* b : {btnGrabit, Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    ebxBidLink = new QLineEdit(Panel1);
    ebxBidLink->setObjectName("ebxBidLink");
    ebxBidLink->setGeometry(109, 6, 125, 21);
    ebxMMYY = new QLineEdit(Panel1);
    ebxMMYY->setObjectName("ebxMMYY");
    ebxMMYY->setGeometry(109, 33, 60, 21);
    cbxODBCError =
        new TWrapCheckBox(QStringLiteral("Oracle ODBC Select (use this when SQLGetColumns() fails)"), Panel1);
    cbxODBCError->setObjectName("cbxODBCError");
    cbxODBCError->setGeometry(244, 30, 161, 25);

    // Tab order: the log, then the panel's controls by their own order.
    setTabOrder(Memo, Button2);
    setTabOrder(Button2, btnGrabit);
    setTabOrder(btnGrabit, ebxBidLink);
    setTabOrder(ebxBidLink, ebxMMYY);
    setTabOrder(ebxMMYY, cbxODBCError);
    Memo->setFocus();

    connect(btnGrabit, &QPushButton::clicked, this, [this] { btnGrabitClick(btnGrabit); });
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(Button2); });

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm1::CreateMemoMenu() {
    // A popup menu owned by the window, created before FormCreate so that the look decorates
    // it with the window; the text area's own menu would be made anew at each request, owned
    // by the text area, and never decorated.
    MemoMenu = new QMenu(this);
    MemoMenu->setObjectName("MemoMenu");
    // The entries are the text area's own (texts, shortcuts, and actions bound to the text);
    // sub-menus, which would go with the menu that holds them, are left out.
    const std::unique_ptr<QMenu> standard(Memo->createStandardContextMenu());
    for (QAction* entry : standard->actions()) {
        if (entry->menu()) continue;
        entry->setParent(MemoMenu);
        MemoMenu->addAction(entry);
    }
    Memo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo, &QWidget::customContextMenuRequested, this, &TForm1::MemoContextMenu);
}

void TForm1::MemoContextMenu(const QPoint& Pos) {
    // Enabled states as the text area's own menu would show them now (undo available, a
    // selection, something to paste, any text at all).
    const std::unique_ptr<QMenu> standard(Memo->createStandardContextMenu());
    for (QAction* entry : MemoMenu->actions())
        if (!entry->objectName().isEmpty())
            if (const auto* now = standard->findChild<QAction*>(entry->objectName()))
                entry->setEnabled(now->isEnabled());
    // A scroll area reports the position in its viewport's coordinates.
    MemoMenu->popup(Memo->viewport()->mapToGlobal(Pos));
}

void TForm1::FormCreate(QObject*) {
    // The flat look (MainLook) attaches here, before anything else, so that it is in force
    // before the window first shows.
    // Form1 is assigned only when this constructor returns; the window is this object.
    MainLook = new TFlatLook(this);

    std::string dataSource, userName, password;
    ReadODBCSettings(dataSource, userName, password, FSettingsFile);
    if (FSession.Open(dataSource, userName, password, [this](const std::string& TableName, std::int32_t Row) {
            ExportProgress(TableName, Row);
        })) {
        MainConnection = FSession.Connection();
        Exporter = FSession.Exporter();
        ExportDialect = FSession.Dialect();
    } else {
        FStartFailed = true;
        ShowMessage(FSession.ConnectFailureText(dataSource));
        // Queued, so that it also ends an event loop that has not started yet.
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    }
}

void TForm1::FormDestroy(QObject*) {
    // The engine's statement is registered with the connection: engine first.
    Exporter = nullptr;
    MainConnection = nullptr;
    FSession.Close();
    // The flat look (MainLook) is released here, last.
    delete MainLook;
    MainLook = nullptr;
}

void TForm1::btnGrabitClick(QObject*) {
    if (FJobRunning || !Exporter) return;
    FJobRunning = true;
    TExportJob job(MainConnection, Exporter, ExportDialect, *this);
    if (JobClock) job.Now = JobClock;
    job.Run();
    FJobRunning = false;
    // "Exit" or the close box during the job: the job has run to its end, now close.
    if (FCloseRequested) close();
}

void TForm1::Button2Click(QObject*) {
    close();
}

void TForm1::ExportProgress(const std::string& TableName, std::int32_t Row) {
    AppendLog(ProgressLine(TableName, Row));
}

void TForm1::closeEvent(QCloseEvent* Event) {
    if (FJobRunning) {
        FCloseRequested = true;
        Event->ignore();
        return;
    }
    Event->accept();
}

std::string TForm1::BidLinkText() {
    return FromQ(ebxBidLink->text());
}
void TForm1::SetBidLinkText(const std::string& Text) {
    ebxBidLink->setText(ToQ(Text));
}
std::string TForm1::MonthText() {
    return FromQ(ebxMMYY->text());
}
bool TForm1::OracleSelectChecked() {
    return cbxODBCError->isChecked();
}
void TForm1::SetStatusText(const std::string& Text) {
    StatusBar1->showMessage(ToQ(Text));
}
void TForm1::AppendLog(const std::string& Line) {
    Memo->appendPlainText(ToQ(Line));
}
void TForm1::ShowMessageBox(const std::string& Text) {
    ShowMessage(Text);
}
void TForm1::SetButtonEnabled(bool Enabled) {
    btnGrabit->setEnabled(Enabled);
}
