#include "app/ListView.h"
#include "app/MainDlg.h"
#include "app/PageTab.h"
#include "app/TemplateLoader.h"
#include "params/LiftParamPage.h"
#include "res/DialogTemplates.h"

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// An elevator parameter page that reads nothing when it is shown.
class CQuietLiftPage : public CLiftParamPage
{
public:
    using CLiftParamPage::CLiftParamPage;
    void OnSetFocus() override {}
};

int RowsInView(const QTreeWidget* list)
{
    int rows = 0;
    for (int row = 0; row < RowCount(list); ++row)
        rows += list->visualItemRect(list->topLevelItem(row)).intersects(list->viewport()->rect());
    return rows;
}

QList<QRect> Places(const QWidget* page)
{
    QList<QRect> places;
    for (const QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (IsTemplateControl(control))
            places << control->geometry();
    return places;
}

} // namespace

// The main window opens at its designed size and grows from there: at
// 1000×800 a page's list shows more rows and a wider description, its buttons
// stay below it, in their order, as far from the bottom as designed; back at
// the designed size every control is in its template place.
TEST(WindowGrowth, ListsGrowButtonsStayAtTheBottomAndTheDesignedSizeKeepsTheTemplateLayout)
{
    CPageTab::SetPageFactory([](int, QWidget* parent) { return new CQuietLiftPage(parent); });
    CMainDlg window;
    window.PageTab()->Init();
    CPageTab::SetPageFactory({});
    window.show();
    const QSize designed = CTemplateLoader(FindDialogTemplate(102)).DialogSize();
    ASSERT_EQ(window.size(), designed);
    EXPECT_EQ(window.minimumSize(), designed);
    auto* page = static_cast<CParamListPage*>(window.PageTab()->CurrentPage());
    QTreeWidget* list = page->List();
    for (int n = 0; n < 173; ++n)
        InsertRow(list, n, QString("F%1").arg(n), n);
    const QList<QRect> places = Places(page);
    const QRect listPlace = list->geometry();
    const int rows = RowsInView(list);
    const int textWidth = list->columnWidth(2);
    QList<QPushButton*> buttons = page->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly);
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    const int bottomGap = page->height() - buttons.first()->geometry().bottom();

    window.resize(1000, 800);
    QTest::qWait(20);
    EXPECT_GT(RowsInView(list), rows);
    EXPECT_EQ(list->columnWidth(2), textWidth + 1000 - designed.width()) << "the description takes the width";
    for (int i = 0; i < buttons.size(); ++i) {
        EXPECT_GT(buttons[i]->y(), list->geometry().bottom());
        EXPECT_EQ(page->height() - buttons[i]->geometry().bottom(), bottomGap);
        if (i > 0)
            EXPECT_GT(buttons[i]->x(), buttons[i - 1]->x());
    }

    // An open find bar stays below the list as the window changes size.
    QTest::keyClick(list, Qt::Key_F, Qt::ControlModifier);
    window.resize(designed);
    QTest::qWait(20);
    const QWidget* bar = page->findChild<QWidget*>("findBar");
    ASSERT_TRUE(bar && bar->isVisible());
    EXPECT_EQ(bar->geometry().bottom(), listPlace.bottom());
    EXPECT_EQ(list->geometry().bottom() + 1, bar->y());
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(Places(page), places);
    EXPECT_EQ(list->columnWidth(2), textWidth);
}
