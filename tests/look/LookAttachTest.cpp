#include "LookTestSupport.h"

#include "TFlatLook.h"
#include "TLookManager.h"

namespace {

QList<QWidget*> AttachedOf(const TestMainForm& form) {
    QList<QWidget*> out;
    for (QWidget* w : form.findChildren<QWidget*>())
        if (RecordOf(w)) out.append(w);
    return out;
}

bool SameSet(QList<QWidget*> a, QList<QWidget*> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

} // namespace

TEST(LookAttach, FlatLookAttachesExactlyTheMainWindowControls) {
    TestMainForm form;
    TFlatLook flat(&form);
    EXPECT_TRUE(flat.Look->Active());
    EXPECT_EQ(flat.Look->LookControls().Bits(), 0x7FFFFFu);
    EXPECT_TRUE(SameSet(AttachedOf(form), form.Decorated()));
    for (QWidget* w : form.Decorated())
        EXPECT_EQ(RecordOf(w)->Look, flat.Look);
    // One record per control, after the detach and re-attach of the LookControls change.
    EXPECT_EQ(flat.Look->Records().size(), form.Decorated().size());
    EXPECT_EQ(TLookManager::Instance()->Current, flat.Look);
}

TEST(LookAttach, TagNineHundredNinetyNineOnAControlOrItsParent) {
    TestMainForm form;
    SetLookTag(form.ebxBidLink, 999);
    SetLookTag(form.Panel1, 999);
    TLookStyler look(&form);
    look.SetActive(true);
    EXPECT_FALSE(RecordOf(form.ebxBidLink));
    EXPECT_FALSE(RecordOf(form.btnGrabit)); // parent marked
    EXPECT_FALSE(RecordOf(form.Panel1));    // marked itself
    EXPECT_TRUE(RecordOf(form.Memo));
    SetLookTag(form.Panel1, 0);
    look.SetActive(false);
    look.SetActive(true);
    EXPECT_TRUE(RecordOf(form.btnGrabit));
    EXPECT_FALSE(RecordOf(form.ebxBidLink));
    EXPECT_TRUE(RecordOf(form.Memo));
}

TEST(LookAttach, LookControlsWithoutEditLeavesLineEditsAlone) {
    TestMainForm form;
    TLookStyler look(&form);
    look.SetLookControls(TLookControls::All().Without(lcEdit));
    look.SetActive(true);
    EXPECT_FALSE(RecordOf(form.ebxBidLink));
    EXPECT_FALSE(RecordOf(form.ebxMMYY));
    EXPECT_TRUE(RecordOf(form.Memo));
    // After a paint, which takes the sunken edge off attached edit kinds only.
    form.grab();
    EXPECT_TRUE(form.ebxBidLink->hasFrame());
    EXPECT_EQ(form.Memo->frameStyle(), QFrame::Box | QFrame::Plain);
}

TEST(LookAttach, ChangingLookControlsReattachesAndTheSameValueDoesNothing) {
    TestMainForm form;
    TLookStyler look(&form);
    look.SetActive(true);
    TControlSubClass* before = RecordOf(form.btnGrabit);
    ASSERT_TRUE(before);
    look.SetLookControls(look.LookControls());
    EXPECT_EQ(RecordOf(form.btnGrabit), before);

    QPointer<TControlSubClass> old(before);
    look.SetLookControls(TLookControls::All().Without(lcButton));
    EXPECT_TRUE(old.isNull()); // the old record detached and freed itself
    EXPECT_FALSE(RecordOf(form.btnGrabit));
    EXPECT_TRUE(RecordOf(form.ebxBidLink));
    look.SetLookContainers(TLookContainers::All().Without(lccPanel));
    EXPECT_FALSE(RecordOf(form.ebxBidLink));
    EXPECT_TRUE(RecordOf(form.Memo));    // parent is the form
    EXPECT_EQ(look.Records().size(), 2); // memo and panel
}

TEST(LookAttach, DeactivationRestoresHandlersAndFrames) {
    TestMainForm form;
    form.show();
    TLookStyler look(&form);
    look.SetActive(true);
    const int memoStyle = QFrame::StyledPanel | QFrame::Sunken;
    ASSERT_EQ(form.Memo->frameStyle(), memoStyle);
    form.grab(); // the first paint switches the sunken edges off
    EXPECT_FALSE(form.ebxBidLink->hasFrame());
    EXPECT_EQ(form.Memo->frameStyle(), QFrame::Box | QFrame::Plain);

    look.SetActive(false);
    EXPECT_TRUE(AttachedOf(form).isEmpty());
    EXPECT_TRUE(look.Records().isEmpty());
    EXPECT_TRUE(form.ebxBidLink->hasFrame());
    EXPECT_EQ(form.Memo->frameStyle(), memoStyle);
    // No filter of the look is left: events reach the controls without a record.
    form.grab();
    EXPECT_TRUE(form.ebxBidLink->hasFrame());
}

TEST(LookAttach, SettingActiveToItsValueDoesNothing) {
    TestMainForm form;
    TLookStyler look(&form);
    look.SetActive(false);
    EXPECT_TRUE(AttachedOf(form).isEmpty());
    look.SetActive(true);
    TControlSubClass* record = RecordOf(form.Memo);
    const int repaints = record->RepaintRequests;
    look.SetActive(true);
    EXPECT_EQ(RecordOf(form.Memo), record);
    EXPECT_EQ(record->RepaintRequests, repaints);
}
