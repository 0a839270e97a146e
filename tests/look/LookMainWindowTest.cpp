// The look on the real main window, started without a data source: the look is attached before
// the connection is tried, and the failure box is captured instead of shown.
#include "LookTestSupport.h"

#include "TFlatLook.h"
#include "TForm1.h"
#include "TLookManager.h"
#include "TLookMenuStyle.h"
#include "TPopupFrameHook.h"
#include "UiHooks.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>

#include <memory>

namespace {

class LookMainWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        previous = InstallUiHooks(UiHooks{[] {}, [this](const std::string& t) { boxes.push_back(t); }});
        form = std::make_unique<TForm1>("/nonexistent/ZURIREV.ini");
        ASSERT_TRUE(MainLook);
        look = MainLook->Look;
    }
    void TearDown() override {
        form.reset();
        QCoreApplication::removePostedEvents(nullptr); // the failed start's queued quit
        InstallUiHooks(previous);
    }
    QAction* Entry(const char* name) const {
        return form->MemoMenu->findChild<QAction*>(QString::fromLatin1(name));
    }
    // The entries of a menu as "text|enabled", separators as "-".
    static QStringList Entries(const QMenu* menu) {
        QStringList out;
        for (const QAction* a : menu->actions())
            out.append(a->isSeparator()
                           ? QStringLiteral("-")
                           : a->text() + (a->isEnabled() ? QStringLiteral("|on") : QStringLiteral("|off")));
        return out;
    }
    // Asks for the log's context menu as a right click at (10, 10) of the text would.
    void RequestContextMenu() {
        QWidget* viewport = form->Memo->viewport();
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(10, 10),
                                  viewport->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(viewport, &request);
    }
    // The log's own standard menu as the text area makes it now.
    QStringList StandardEntries() const {
        const std::unique_ptr<QMenu> standard(form->Memo->createStandardContextMenu());
        return Entries(standard.get());
    }

    UiHooks previous;
    std::vector<std::string> boxes;
    std::unique_ptr<TForm1> form;
    TLookStyler* look = nullptr;
};

} // namespace

TEST_F(LookMainWindow, AttachesExactlyTheMemoPanelButtonsEditsAndCheckBox) {
    // No settings file: no source named, so the start fails with the box naming nothing,
    // the reason on the line below.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].substr(0, boxes[0].find('\n')), "Cannot connect to Datasource: ");
    EXPECT_NE(boxes[0].find("\nNo data source"), std::string::npos) << boxes[0];
    EXPECT_TRUE(form->StartFailed());
    EXPECT_EQ(look->parent(), form.get());
    EXPECT_EQ(TLookManager::Instance()->Current, look);
    const QList<QWidget*> expected = {form->Memo,       form->Panel1,  form->btnGrabit,   form->Button2,
                                      form->ebxBidLink, form->ebxMMYY, form->cbxODBCError};
    QList<QWidget*> attached;
    for (QWidget* w : form->findChildren<QWidget*>())
        if (RecordOf(w)) attached.append(w);
    EXPECT_EQ(attached.size(), expected.size());
    for (QWidget* w : expected) {
        ASSERT_TRUE(RecordOf(w)) << w->objectName().toStdString();
        EXPECT_EQ(RecordOf(w)->Look, look);
    }
    EXPECT_FALSE(RecordOf(form->StatusBar1));
    EXPECT_FALSE(RecordOf(form->Label1));
    // The log area's frame turns flat at the first paint.
    form->grab();
    EXPECT_EQ(form->Memo->frameStyle(), QFrame::Box | QFrame::Plain);

    // FormDestroy releases MainLook; the look goes with the window, and the manager with it.
    form.reset();
    EXPECT_EQ(MainLook, nullptr);
    EXPECT_EQ(TLookManager::Instance(), nullptr);
}

TEST_F(LookMainWindow, LogContextMenuIsTheFormsPopupWithTheStandardEntries) {
    QMenu* menu = form->MemoMenu;
    ASSERT_TRUE(menu);
    EXPECT_EQ(menu->parent(), form.get());
    EXPECT_EQ(form->Memo->contextMenuPolicy(), Qt::CustomContextMenu);

    // The same entries, texts with shortcuts and enabled states as the text area's own menu,
    // in each state the states depend on.
    form->show();
    form->Memo->setFocus();
    RequestContextMenu();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(
        menu->geometry().contains(form->Memo->viewport()->mapToGlobal(QPoint(10, 10)) + QPoint(1, 1)));
    EXPECT_EQ(Entries(menu), StandardEntries());
    EXPECT_TRUE(Entry("edit-undo") && !Entry("edit-undo")->isEnabled());
    EXPECT_TRUE(Entry("select-all") && !Entry("select-all")->isEnabled()); // the log is empty
    menu->hide();

    form->AppendLog("Dumping table bids row 1");
    form->Memo->selectAll();
    form->Memo->insertPlainText(QStringLiteral("typed"));
    form->Memo->selectAll();
    RequestContextMenu();
    EXPECT_EQ(Entries(menu), StandardEntries());
    for (const char* name : {"edit-undo", "edit-cut", "edit-copy", "edit-delete", "select-all"})
        EXPECT_TRUE(Entry(name)->isEnabled()) << name;
    EXPECT_TRUE(Entry("edit-undo")
                    ->text()
                    .contains(QKeySequence(QKeySequence::Undo).toString(QKeySequence::NativeText)));
    menu->hide();

    // The entries act on the log.
    Entry("edit-copy")->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("typed"));
    Entry("edit-delete")->trigger();
    EXPECT_EQ(form->Memo->toPlainText(), QString());
    Entry("edit-undo")->trigger();
    EXPECT_EQ(form->Memo->toPlainText(), QStringLiteral("typed"));
    Entry("select-all")->trigger();
    Entry("edit-cut")->trigger();
    EXPECT_EQ(form->Memo->toPlainText(), QString());
    // Enabled states are taken when the menu opens: now there is something to paste.
    RequestContextMenu();
    EXPECT_EQ(Entries(menu), StandardEntries());
    EXPECT_TRUE(Entry("edit-paste")->isEnabled());
    EXPECT_FALSE(Entry("edit-copy")->isEnabled());
    menu->hide();
    Entry("edit-paste")->trigger();
    Entry("edit-paste")->trigger();
    EXPECT_EQ(form->Memo->toPlainText(), QStringLiteral("typedtyped"));
}

TEST_F(LookMainWindow, LogContextMenuIsDecoratedByTheLook) {
    QMenu* menu = form->MemoMenu;
    EXPECT_EQ(menu->style(), look->MenuStyle());
    for (QAction* entry : menu->actions()) {
        EXPECT_EQ(DrawHandlerOf(entry), look) << entry->text().toStdString();
        EXPECT_EQ(MeasureHandlerOf(entry), look) << entry->text().toStdString();
    }

    form->Memo->setPlainText(QStringLiteral("log line"));
    form->Memo->selectAll();
    form->show();
    RequestContextMenu();
    ASSERT_TRUE(menu->isVisible());
    // Measured by the look: separators 4 pixels high, items at least icon column + text wide.
    for (QAction* entry : menu->actions()) {
        if (entry->isSeparator()) {
            EXPECT_EQ(menu->actionGeometry(entry).height(), 4);
        }
    }
    QAction* copy = Entry("edit-copy");
    int width = 0, height = 0;
    look->MenuStyle()->MeasureMenuItem(copy, false, width, height);
    EXPECT_EQ(menu->actionGeometry(copy).height(), height);
    EXPECT_GE(menu->actionGeometry(copy).width(), width);

    // Drawn by the look: icon column and menu colour at rest, selection fill and frame when
    // the item is selected, the disabled text colour on a disabled item.
    const TDerivedColors& d = look->Derived;
    auto at = [menu](QAction* item, int dx, int dy) {
        const QRect a = menu->actionGeometry(item);
        return FromQColor(QColor::fromRgb(menu->grab().toImage().pixel(a.left() + dx, a.top() + dy)));
    };
    EXPECT_EQ(at(copy, 2, 3), ColorToRGB(d.IconBack));
    EXPECT_EQ(at(copy, look->IconWidth() + 1, 1), ColorToRGB(d.MenuColor));
    menu->setActiveAction(copy);
    EXPECT_EQ(at(copy, 2, 1), ColorToRGB(d.SelectBorder));
    EXPECT_EQ(at(copy, 2, 3), ColorToRGB(d.Select));
    EXPECT_EQ(at(copy, look->IconWidth() + 1, 3), ColorToRGB(d.Select));
    EXPECT_NE(ColorToRGB(d.Select), ColorToRGB(d.MenuColor));
    QAction* paste = Entry("edit-paste");
    QGuiApplication::clipboard()->clear();
    menu->hide();
    RequestContextMenu();
    ASSERT_FALSE(paste->isEnabled());
    const QRect p = menu->actionGeometry(paste);
    const QImage image = menu->grab().toImage();
    bool disabledText = false;
    for (int y = p.top(); y <= p.bottom(); ++y)
        for (int x = p.left() + look->IconWidth(); x <= p.right(); ++x)
            disabledText =
                disabledText || FromQColor(QColor::fromRgb(image.pixel(x, y))) == ColorToRGB(d.Disabled);
    EXPECT_TRUE(disabledText);
    menu->hide();
}

// The log's menu has a border all round: the style's frame as the window sets the look up
// (FlatMenu off), the flat frame with FlatMenu on.
TEST_F(LookMainWindow, LogContextMenuHasItsFrame) {
    QMenu bare;
    bare.addAction(QStringLiteral("Copy"));
    bare.adjustSize();
    const QImage bareImage = bare.grab().toImage();
    const QRgb frame = bareImage.pixel(0, bareImage.height() / 2);

    QMenu* menu = form->MemoMenu;
    form->show();
    ASSERT_FALSE(look->FlatMenu());
    RequestContextMenu();
    ASSERT_TRUE(menu->isVisible());
    QImage image = menu->grab().toImage();
    const int w = image.width(), h = image.height();
    for (int x = 0; x < w; ++x) {
        ASSERT_EQ(image.pixel(x, 0), frame) << x;
        ASSERT_EQ(image.pixel(x, h - 1), frame) << x;
    }
    for (int y = 0; y < h; ++y) {
        ASSERT_EQ(image.pixel(0, y), frame) << y;
        ASSERT_EQ(image.pixel(w - 1, y), frame) << y;
    }
    menu->hide();

    // The flat frame: drawn once the look manager has handled the popup's request.
    look->SetFlatMenu(true);
    RequestContextMenu();
    for (int i = 0; i < 10 && !TPopupFrameHook::HookOf(menu); ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(TPopupFrameHook::HookOf(menu));
    image = menu->grab().toImage();
    const TDerivedColors& d = look->Derived;
    auto at = [&image](int x, int y) { return FromQColor(QColor::fromRgb(image.pixel(x, y))); };
    EXPECT_EQ(at(0, h / 2), ColorToRGB(d.MenuBorder));
    EXPECT_EQ(at(w / 2, 0), ColorToRGB(d.MenuBorder));
    EXPECT_EQ(at(w - 3, h / 2), ColorToRGB(d.MenuBorder));
    EXPECT_EQ(at(w - 1, h / 2), ColorToRGB(d.MenuShadow));
    EXPECT_EQ(at(w / 2, h - 1), ColorToRGB(d.MenuShadow));
    menu->hide();
}
