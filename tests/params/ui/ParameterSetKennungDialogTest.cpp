// TSelKennungDlg: the three identifiers from top to bottom, and every other way out giving 2.
#include "params/ui/Selkennungdialog.h"

#include "ui_Selkennungdialog.h"

#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

TEST(SelKennungDialog, ButtonsFromTopToBottomCloseWithTheirIdentifier)
{
    TSelKennungDlg probe(nullptr);
    probe.show();
    EXPECT_EQ(probe.windowTitle(), QStringLiteral("Kennung"));
    const auto& ui = probe.ui();
    EXPECT_LT(ui.Button2->y(), ui.Button1->y());
    EXPECT_LT(ui.Button1->y(), ui.Button3->y());
    probe.hide();

    const struct {
        QPushButton* Ui::TSelKennungDlg::*button;
        const char* caption;
        int result;
    } cases[] = {
        {&Ui::TSelKennungDlg::Button2, "KTW (0x00000101)", 0x00000101},
        {&Ui::TSelKennungDlg::Button1, "KTV (0x00000201)", 0x00000201},
        {&Ui::TSelKennungDlg::Button3, "KRZ (0x00000002)", 0x00000002},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        TSelKennungDlg dlg(nullptr);
        dlg.show();
        QPushButton* b = dlg.ui().*c.button;
        EXPECT_EQ(b->text(), QString::fromLatin1(c.caption));
        b->click();
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), c.result);
    }
}

TEST(SelKennungDialog, CloseButtonAndEscapeGiveTheCancelCode)
{
    {
        TSelKennungDlg dlg(nullptr);
        dlg.show();
        dlg.close();
        EXPECT_EQ(dlg.result(), 2);
    }
    {
        TSelKennungDlg dlg(nullptr);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_Escape);
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(dlg.result(), 2);
    }
}
