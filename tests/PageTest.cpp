// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Page.h"
#include "ui/TemplateLoader.h"
#include "link/PortChannel.h"
#include "res/DialogTemplates.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CCountingPage : public CPage {
public:
    CCountingPage() : CPage(158) {}
    int m_setFocus = 0;
    int m_killFocus = 0;
    int m_ticks = 0;
    void OnSetFocus() override { ++m_setFocus; }
    void OnKillFocus() override { ++m_killFocus; }
    void OnTimer1() override { ++m_ticks; }
};

} // namespace

TEST(Page, IsBuiltFromItsTemplate)
{
    CCountingPage page;
    EXPECT_NE(Control<QWidget>(&page, 1054), nullptr);
    EXPECT_EQ(page.size(), CTemplateLoader(FindDialogTemplate(158)).DialogSize());
}

TEST(Page, FocusHandlersRunOnlyWhenCalledExplicitly)
{
    QWidget window;
    auto* other = new QLineEdit(&window);
    auto* page = new CCountingPage;
    page->setParent(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // Qt's own focus changes and window activation do not reach the handlers.
    page->setFocus();
    other->setFocus();
    window.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(page->m_setFocus, 0);
    EXPECT_EQ(page->m_killFocus, 0);

    page->GiveFocus();
    EXPECT_EQ(page->m_setFocus, 1);
    EXPECT_TRUE(page->hasFocus());
}

TEST(Page, TimerOneTicksUntilKilledAndSkipsTicksDuringAnExchange)
{
    CCountingPage page;
    page.SetTimer1(5);
    EXPECT_TRUE(page.IsTimer1Active());
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.m_ticks >= 2; }, 1000));

    g_port.m_busy = 1;
    const int before = page.m_ticks;
    QTest::qWait(40);
    g_port.m_busy = 0;
    EXPECT_EQ(page.m_ticks, before);

    page.KillTimer1();
    EXPECT_FALSE(page.IsTimer1Active());
    const int stopped = page.m_ticks;
    QTest::qWait(30);
    EXPECT_EQ(page.m_ticks, stopped);
}
