// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ListView.h"
#include "app/MainDlg.h"
#include "app/PageTab.h"
#include "app/StatusLine.h"
#include "ui/TemplateLoader.h"
#include "params/LiftParamPage.h"
#include "res/DialogTemplates.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// An elevator parameter page that reads nothing when it is shown.
struct CQuietLiftPage : CLiftParamPage
{
    using CLiftParamPage::CLiftParamPage;
    void OnSetFocus() override {}
};

QList<QRect> Places(const QWidget* page, const char* className = "QWidget")
{
    QList<QRect> places;
    for (const QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (IsTemplateControl(control) && control->inherits(className))
            places << control->geometry();
    return places;
}

} // namespace

// The window opens at its designed size and grows from there: at 1000×800 the
// list shows more rows and a wider description, the buttons keep their order
// and their distance to the bottom, an open find bar stays under the list;
// back at the designed size every control is in its template place.
TEST(WindowGrowth, ListsGrowButtonsStayAtTheBottomAndTheDesignedSizeKeepsTheTemplateLayout)
{
    CPageTab::SetPageFactory([](int, QWidget* parent) { return new CQuietLiftPage(parent); });
    CMainDlg window;
    window.PageTab()->Init();
    CPageTab::SetPageFactory({});
    window.show();
    // The template's size and the status line under the tab control.
    const QSize designed = CTemplateLoader(FindDialogTemplate(102)).DialogSize()
                         + QSize(0, window.StatusLine()->sizeHint().height());
    ASSERT_EQ(window.size(), designed);
    auto* page = static_cast<CParamListPage*>(window.PageTab()->CurrentPage());
    QTreeWidget* list = page->List();
    for (int n = 0; n < 173; ++n)
        InsertRow(list, n, QString("F%1").arg(n), n);
    const auto rowsInView = [list] { return list->indexAt(list->viewport()->rect().bottomLeft()).row(); };
    const QList<QRect> places = Places(page), buttons = Places(page, "QPushButton");
    const int rows = rowsInView(), textWidth = list->columnWidth(2);
    const QRect listPlace = list->geometry();

    window.resize(1000, 800);
    QTest::qWait(20);
    EXPECT_GT(rowsInView(), rows);
    EXPECT_EQ(list->columnWidth(2), textWidth + 1000 - designed.width()) << "the description takes the width";
    for (int i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(Places(page, "QPushButton")[i], buttons[i].translated(0, 800 - designed.height()));

    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
    window.resize(designed);
    QTest::qWait(20);
    const QWidget* bar = page->findChild<QWidget*>("findBar");
    EXPECT_EQ(bar->geometry().bottom(), listPlace.bottom());
    EXPECT_EQ(list->geometry().bottom() + 1, bar->y());
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(Places(page), places);
    EXPECT_EQ(list->columnWidth(2), textWidth);
}
