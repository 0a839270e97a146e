// The look on the real main window. The look is attached before the connection is tried, so
// the outcome of the connection does not matter here; a failure box is captured, not shown.
#include "LookTestSupport.h"

#include "TFlatLook.h"
#include "TForm1.h"
#include "TLookManager.h"
#include "UiHooks.h"

TEST(LookMainWindow, AttachesExactlyTheMemoPanelButtonsEditsAndCheckBox) {
    std::vector<std::string> boxes;
    const UiHooks previous = InstallUiHooks(UiHooks{[] {}, [&boxes](const std::string& t) { boxes.push_back(t); }});
    {
        TForm1 form("/nonexistent/ZURIREV.ini");
        ASSERT_TRUE(MainLook);
        TLookStyler* look = MainLook->Look;
        EXPECT_EQ(look->parent(), &form);
        EXPECT_EQ(TLookManager::Instance()->Current, look);
        const QList<QWidget*> expected = {form.Memo,     form.Panel1,     form.btnGrabit,   form.Button2,
                                          form.ebxBidLink, form.ebxMMYY, form.cbxODBCError};
        QList<QWidget*> attached;
        for (QWidget* w : form.findChildren<QWidget*>())
            if (RecordOf(w))
                attached.append(w);
        EXPECT_EQ(attached.size(), expected.size());
        for (QWidget* w : expected) {
            ASSERT_TRUE(RecordOf(w)) << w->objectName().toStdString();
            EXPECT_EQ(RecordOf(w)->Look, look);
        }
        EXPECT_FALSE(RecordOf(form.StatusBar1));
        EXPECT_FALSE(RecordOf(form.Label1));
        // The log area's frame turns flat at the first paint.
        form.grab();
        EXPECT_EQ(form.Memo->frameStyle(), QFrame::Box | QFrame::Plain);
    }
    // FormDestroy released MainLook; the look went with the window, and the manager with it.
    EXPECT_EQ(MainLook, nullptr);
    EXPECT_EQ(TLookManager::Instance(), nullptr);
    QCoreApplication::removePostedEvents(nullptr); // the failed start's queued quit
    InstallUiHooks(previous);
}
