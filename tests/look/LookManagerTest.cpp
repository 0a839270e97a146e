#include "LookTestSupport.h"

#include "TFlatLook.h"
#include "TLookManager.h"

#include <QMenu>
#include <QMessageBox>

#include <memory>

namespace {

void NextEvents() {
    QCoreApplication::processEvents();
}

bool PendingHas(const QWidget* form) {
    for (const QPointer<QWidget>& f : TLookManager::Instance()->PendingForms)
        if (f == form) return true;
    return false;
}

} // namespace

TEST(LookManager, ExistsWhileALookExists) {
    EXPECT_EQ(TLookManager::Instance(), nullptr);
    {
        TestMainForm form;
        TFlatLook flat(&form);
        EXPECT_NE(TLookManager::Instance(), nullptr);
    }
    EXPECT_EQ(TLookManager::Instance(), nullptr);
}

TEST(LookManager, LaterFormsAndMessageBoxesTakeTheCurrentLookAtTheNextEvent) {
    TestMainForm main;
    TFlatLook flat(&main);
    TestMainForm second;
    EXPECT_FALSE(RecordOf(second.Memo)); // not before the next event
    EXPECT_TRUE(PendingHas(&second));
    NextEvents();
    for (QWidget* w : second.Decorated()) {
        ASSERT_TRUE(RecordOf(w));
        EXPECT_EQ(RecordOf(w)->Look, flat.Look);
    }
    for (QWidget* w : second.Undecorated())
        EXPECT_FALSE(RecordOf(w));

    QMessageBox box(QMessageBox::Information, QStringLiteral("Ferrocan"), QStringLiteral("Done."),
                    QMessageBox::Ok);
    box.show();
    NextEvents();
    ASSERT_TRUE(RecordOf(box.button(QMessageBox::Ok)));
    EXPECT_EQ(RecordOf(box.button(QMessageBox::Ok))->Look, flat.Look);
    box.close();
}

TEST(LookManager, FormsWithTheirOwnLookOrTagNineNineNineAreSkipped) {
    TestMainForm early;
    SetLookTag(&early, 999);
    TestMainForm main;
    TFlatLook flat(&main);
    EXPECT_FALSE(PendingHas(&early)); // never queued

    TestMainForm own;
    TLookStyler ownLook(&own);
    ownLook.SetActive(true);
    ownLook.RegisterWithManager();
    TestMainForm late;
    SetLookTag(&late, 999);
    NextEvents();
    EXPECT_FALSE(RecordOf(early.Memo));
    EXPECT_FALSE(RecordOf(late.Memo));
    ASSERT_TRUE(RecordOf(own.Memo));
    EXPECT_EQ(RecordOf(own.Memo)->Look, &ownLook);
    EXPECT_EQ(TLookManager::Instance()->Current, flat.Look);
}

TEST(LookManager, HandOverWhenTheCurrentLookGoesWhileAnotherIsRegistered) {
    TestMainForm a;
    auto flat = std::make_unique<TFlatLook>(&a);
    TestMainForm other;
    NextEvents();
    ASSERT_TRUE(RecordOf(other.Memo));
    TestMainForm b;
    TLookStyler lookB(&b);
    lookB.SetActive(true);
    lookB.RegisterWithManager();
    EXPECT_EQ(TLookManager::Instance()->Current, flat->Look);

    delete flat->Look; // the current look goes while a's controls live
    EXPECT_EQ(TLookManager::Instance()->Current, &lookB);
    for (QWidget* w : other.Decorated()) {
        ASSERT_TRUE(RecordOf(w));
        EXPECT_EQ(RecordOf(w)->Look, &lookB);
        EXPECT_EQ(RecordOf(w)->parent(), &lookB);
    }
    for (QWidget* w : a.Decorated())
        EXPECT_FALSE(RecordOf(w));
    other.grab(); // painting with the new look
}

TEST(LookManager, RestoreWhenNoOtherLookIsLeft) {
    TestMainForm a;
    auto flat = std::make_unique<TFlatLook>(&a);
    TestMainForm other;
    NextEvents();
    other.grab();
    ASSERT_TRUE(RecordOf(other.ebxBidLink));
    EXPECT_FALSE(other.ebxBidLink->hasFrame());
    delete flat->Look;
    EXPECT_EQ(TLookManager::Instance(), nullptr);
    for (QWidget* w : other.Decorated())
        EXPECT_FALSE(RecordOf(w));
    EXPECT_TRUE(other.ebxBidLink->hasFrame());
    EXPECT_EQ(other.Memo->frameStyle(), QFrame::StyledPanel | QFrame::Sunken);
}

TEST(LookBadInput, LookDestroyedWhileItsControlsLive) {
    TestMainForm form;
    auto* look = new TLookStyler(&form);
    look->SetActive(true);
    look->RegisterWithManager();
    form.grab();
    delete look;
    for (QWidget* w : form.findChildren<QWidget*>())
        EXPECT_FALSE(RecordOf(w));
    EXPECT_TRUE(form.ebxMMYY->hasFrame());
    form.grab(); // no filter of the gone look is called
    QEvent enter(QEvent::Leave);
    QApplication::sendEvent(form.btnGrabit, &enter);
}

TEST(LookBadInput, ControlDestroyedWhileAttached) {
    TestMainForm form;
    TLookStyler look(&form);
    look.SetActive(true);
    const auto records = look.Records().size();
    delete form.ebxBidLink;
    delete form.cbxODBCError;
    EXPECT_EQ(look.Records().size(), records - 2);
    look.SetActive(false);
    EXPECT_TRUE(look.Records().isEmpty());
}

TEST(LookBadInput, FormClosedWithAPendingDecoration) {
    TestMainForm main;
    TFlatLook flat(&main);
    auto* second = new TestMainForm;
    auto* third = new TestMainForm;
    third->setAttribute(Qt::WA_DeleteOnClose);
    third->show();
    ASSERT_TRUE(PendingHas(second));
    delete second;
    third->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    NextEvents();
    EXPECT_TRUE(TLookManager::Instance()->PendingForms.isEmpty());
    for (const QPointer<QWidget>& f : TLookManager::Instance()->DecoratedForms)
        EXPECT_FALSE(f.isNull());
}

TEST(LookBadInput, ExceptionInsideAPainter) {
    TestMainForm form;
    TLookStyler look(&form);
    look.SetActive(true);
    auto* popup = new QMenu(&form);
    QAction* item = popup->addAction(QStringLiteral("Item"));
    look.SetActive(false);
    look.SetActive(true);
    popup->adjustSize();
    const QRect a = popup->actionGeometry(item);
    const TColor decorated = PixelAt(form.ebxBidLink, 0, 0);
    TLookStyler::PaintProbe = [] { throw std::runtime_error("painter failed"); };
    EXPECT_NE(PixelAt(form.ebxBidLink, 0, 0), decorated); // the control as it drew itself
    // The failed item shows nothing of its own: the menu colour of the panel, no icon column.
    EXPECT_EQ(PixelAt(popup, a.left() + 2, a.top() + 3), ColorToRGB(look.Derived.MenuColor));
    TLookStyler::PaintProbe = nullptr;
    EXPECT_EQ(PixelAt(form.ebxBidLink, 0, 0), decorated);
    EXPECT_EQ(PixelAt(popup, a.left() + 2, a.top() + 3), ColorToRGB(look.Derived.IconBack));
    EXPECT_TRUE(RecordOf(form.ebxBidLink));
}
