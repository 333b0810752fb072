// What the main window keeps hidden stays out of reach: no click, key, wheel turn or focus move
// opens a page or reaches a control that only a program option shows.
#include "tests/support/ui/MainWindowHarness.h"

#include "ui_Main.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Reach {
    const char* name;
    MainWindowOptions options;
    // Pages the user may open, beyond the five every run shows.
    std::vector<QWidget* Ui::THauptDialog::*> extraPages;
};

std::set<QWidget*> reachablePages(Ui::THauptDialog& ui, const Reach& r)
{
    std::set<QWidget*> pages = {ui.TS_MaschinenStatus, ui.TS_Service, ui.TS_KundenTagebuch, ui.TS_ServiceTagebuch,
                                ui.TS_Info};
    for (auto member : r.extraPages)
        pages.insert(ui.*member);
    return pages;
}

std::string names(const std::set<QWidget*>& pages)
{
    std::string s;
    for (QWidget* p : pages)
        s += p->objectName().toStdString() + ' ';
    return s;
}

// The key goes where a real key would: to the widget that has the focus, shortcuts first.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

void focusControlOn(QWidget* page)
{
    for (QWidget* c : page->findChildren<QWidget*>())
        if (c->isVisible() && c->isEnabled() && (c->focusPolicy() & Qt::TabFocus)) {
            c->setFocus();
            return;
        }
}

class HiddenPages : public ::testing::TestWithParam<Reach> {
protected:
    void SetUp() override
    {
        h_ = std::make_unique<MainWindowHarness>(GetParam().options);
        THauptDialog& w = h_->show();
        QApplication::setActiveWindow(&w);
        ui().PageControl->tabBar()->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), ui().PageControl->tabBar());
        expected_ = reachablePages(ui(), GetParam());
    }
    Ui::THauptDialog& ui() { return h_->ui(); }
    QWidget* page() { return ui().PageControl->currentWidget(); }
    void note() { seen_.insert(page()); }

    std::unique_ptr<MainWindowHarness> h_;
    std::set<QWidget*> expected_;
    std::set<QWidget*> seen_;
};

TEST_P(HiddenPages, MouseClicksAndWheelTurnsOnTheTabBar)
{
    QTabBar& bar = *ui().PageControl->tabBar();
    // Every few pixels along the bar, the empty end and the left edge included.
    for (int x = 0; x < bar.width(); x += 7) {
        QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(x, bar.height() / 2));
        note();
    }
    for (int turns = 0; turns < 12; ++turns) {
        for (int delta : {-120, 120}) {
            const QPointF at(bar.width() / 4.0, bar.height() / 2.0);
            QWheelEvent wheel(at, bar.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(&bar, &wheel);
            note();
        }
    }
    EXPECT_EQ(seen_, expected_) << names(seen_);
}

TEST_P(HiddenPages, ArrowKeysOnTheTabBar)
{
    for (int key : {Qt::Key_Right, Qt::Key_Left}) {
        for (int i = 0; i < 12; ++i) {
            ui().PageControl->tabBar()->setFocus();
            press(key);
            note();
        }
    }
    EXPECT_EQ(seen_, expected_) << names(seen_);
}

TEST_P(HiddenPages, PageSwitchKeysFromInsideAPage)
{
    const std::pair<int, Qt::KeyboardModifiers> keys[] = {
        {Qt::Key_Tab, Qt::ControlModifier},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
        {Qt::Key_PageDown, Qt::ControlModifier},
        {Qt::Key_PageUp, Qt::ControlModifier},
    };
    for (const auto& [key, modifiers] : keys) {
        ui().PageControl->setCurrentWidget(ui().TS_MaschinenStatus);
        for (int i = 0; i < 12; ++i) {
            // From a control on the page, as a technician who just used it.
            focusControlOn(page());
            press(key, modifiers);
            note();
        }
    }
    EXPECT_EQ(seen_, expected_) << names(seen_);
}

TEST_P(HiddenPages, MnemonicsNeverOpenAHiddenPage)
{
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        ui().PageControl->tabBar()->setFocus();
        press(key, Qt::AltModifier);
        note();
        EXPECT_TRUE(expected_.count(page())) << page()->objectName().toStdString() << " by Alt+" << char(key);
    }
}

TEST_P(HiddenPages, FocusChainSkipsHiddenControls)
{
    Ui::THauptDialog& u = ui();
    // Whatever only an option shows, pages and the manufacturer's controls alike.
    std::vector<QWidget*> hidden;
    for (QWidget* p : {u.TS_Parameter, u.TS_Debug, u.TS_BMP, u.TS_Fertigung})
        if (!expected_.count(p))
            hidden.push_back(p);
    if (!GetParam().options.manufacturer)
        for (QWidget* c : {static_cast<QWidget*>(u.GbHersteller), static_cast<QWidget*>(u.CbWriteParaDelPz),
                           static_cast<QWidget*>(u.CbWriteParaDelGarantie), static_cast<QWidget*>(u.CbWriteParaDelBsz),
                           static_cast<QWidget*>(u.Button1), static_cast<QWidget*>(u.Button2)})
            hidden.push_back(c);
    auto insideHidden = [&](QWidget* w) {
        for (QWidget* h : hidden)
            if (w == h || h->isAncestorOf(w))
                return true;
        return false;
    };
    for (QWidget* p : expected_) {
        u.PageControl->setCurrentWidget(p);
        u.PageControl->tabBar()->setFocus();
        for (int i = 0; i < 120; ++i) {
            press(Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            EXPECT_FALSE(insideHidden(focus)) << focus->objectName().toStdString() << " from " << p->objectName().toStdString();
        }
        for (int i = 0; i < 60; ++i) {
            press(Qt::Key_Backtab, Qt::ShiftModifier);
            EXPECT_FALSE(insideHidden(QApplication::focusWidget()));
        }
        EXPECT_EQ(page(), p) << "Tab moves the focus, never the page";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, HiddenPages,
    ::testing::Values(Reach{"none", {}, {}},
                      Reach{"manufacturer", {.manufacturer = true}, {&Ui::THauptDialog::TS_Parameter}},
                      Reach{"production", {.production = true}, {&Ui::THauptDialog::TS_Fertigung}},
                      Reach{"debug", {.debug = true}, {&Ui::THauptDialog::TS_Debug, &Ui::THauptDialog::TS_BMP}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
