// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "res/DialogTemplates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

DialogTemplate SampleTemplate(int pointSize)
{
    return {1, "sample", 100, 80, "宋体", pointSize,
            {
                {10, ControlKind::Edit, "", 4, 8, 40, 16},
                {11, ControlKind::Button, "go", 44, 8, 20, 16},  // touches edit 10
            }};
}

} // namespace

TEST(TemplateLoader, DialogUnitsFollowTheFontMetrics)
{
    const CTemplateLoader small(SampleTemplate(10));
    const CTemplateLoader large(SampleTemplate(20));
    const QSize units = small.BaseUnits();
    EXPECT_GT(large.BaseUnits().width(), units.width());
    EXPECT_GT(large.BaseUnits().height(), units.height());
    EXPECT_EQ(units.height(), QFontMetrics(small.Font()).height());

    // x and widths in quarters of the average character width, y and heights in
    // eighths of the character height.
    EXPECT_EQ(small.MapDialogRect(4, 8, 40, 16), QRect(units.width(), units.height(), 10 * units.width(), 2 * units.height()));
    EXPECT_EQ(small.DialogSize(), small.MapDialogRect(0, 0, 100, 80).size());

    // Controls that touch in dialog units touch in pixels, at any font size.
    for (const CTemplateLoader* loader : {&small, &large}) {
        QWidget root;
        loader->Build(&root);
        EXPECT_EQ(Control<QLineEdit>(&root, 10)->geometry().right() + 1, Control<QPushButton>(&root, 11)->x());
        EXPECT_EQ(root.size(), loader->DialogSize());
    }
}

TEST(TemplateLoader, WindowsDialogFontsFallBackToAnInstalledCjkFont)
{
    for (const QString& family : {QStringLiteral("宋体"), QStringLiteral("MS Shell Dlg")}) {
        const QFont font = CTemplateLoader::TemplateFont(family, 10);
        EXPECT_EQ(QFontInfo(font).family(), "AR PL UMing CN") << family.toStdString();
        EXPECT_TRUE(QFontMetrics(font).inFontUcs4(U'串'));
        EXPECT_EQ(font.pointSize(), 10);
        EXPECT_EQ(CTemplateLoader::BaseUnits(font), QSize(7, 13)) << "the size the templates were laid out for";
    }
}

TEST(TemplateLoader, UnknownTemplateGivesAnEmptyRoot)
{
    EXPECT_TRUE(FindDialogTemplate(4242).controls.empty());
    QWidget root;
    CTemplateLoader::Load(4242, &root);
    EXPECT_TRUE(root.findChildren<QWidget*>().isEmpty());
    EXPECT_EQ(Control<QWidget>(&root, 1), nullptr);
}

TEST(TemplateLoader, SerialSettingsControlsAreFoundByIdWithTheirKindsAndState)
{
    QWidget root;
    CTemplateLoader::Load(158, &root);
    EXPECT_EQ(root.windowTitle(), "串口设置");

    auto* port = Control<QComboBox>(&root, 1054);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->property("controlId").toInt(), 1054);
    EXPECT_FALSE(port->isEditable());
    EXPECT_EQ(port->count(), 9);
    EXPECT_EQ(port->itemText(8), "COM9");
    EXPECT_EQ(port->currentIndex(), -1);
    EXPECT_EQ(Control<QLineEdit>(&root, 1054), nullptr);  // wrong kind

    auto* baud = Control<QComboBox>(&root, 1055);
    auto* doorBaud = Control<QComboBox>(&root, 1059);
    ASSERT_TRUE(baud && doorBaud);
    EXPECT_EQ(baud->itemText(7), "115200");
    EXPECT_EQ(doorBaud->count(), 8);
    EXPECT_EQ(Control<QComboBox>(&root, 1058)->itemText(2), "偶");

    auto* special = Control<QComboBox>(&root, 1060);
    ASSERT_NE(special, nullptr);
    EXPECT_TRUE(special->isEditable());
    EXPECT_TRUE(special->isHidden());
    EXPECT_EQ(special->currentText(), "");

    bool sawHiddenGroup = false;
    for (auto* group : root.findChildren<QGroupBox*>())
        if (group->title() == "专用码")
            sawHiddenGroup = group->isHidden() && !group->isEnabled();
    EXPECT_TRUE(sawHiddenGroup);

    auto* ok = Control<QPushButton>(&root, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), "确定");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(Control<QPushButton>(&root, 2)->isDefault());

    // A selector shows one field; its template height is for the dropped list.
    EXPECT_LT(port->height(), CTemplateLoader(FindDialogTemplate(158)).MapDialogRect(0, 0, 91, 118).height() / 2);
}

TEST(TemplateLoader, MainDialogHoldsTheTabControl)
{
    QWidget root;
    CTemplateLoader::Load(102, &root);
    const CTemplateLoader loader(FindDialogTemplate(102));
    EXPECT_EQ(root.windowTitle(), "VELOR");
    EXPECT_EQ(root.size(), loader.DialogSize());
    auto* tabs = Control<QWidget>(&root, 1000);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->geometry(), loader.MapDialogRect(7, 7, 257, 340));
}

// Texts of the templates must not be cut off at the template sizes.
TEST(TemplateLoader, TemplateTextsFitTheirControls)
{
    for (int id : {102, 158}) {
        QWidget root;
        CTemplateLoader::Load(id, &root);
        for (auto* label : root.findChildren<QLabel*>()) {
            const QFontMetrics metrics(label->font());
            EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << label->text().toStdString();
            EXPECT_LE(metrics.height(), label->height()) << label->text().toStdString();
        }
        for (auto* button : root.findChildren<QPushButton*>())
            EXPECT_LE(QFontMetrics(button->font()).horizontalAdvance(button->text()) + 8, button->width());
        for (auto* combo : root.findChildren<QComboBox*>())
            for (int i = 0; i < combo->count(); ++i)
                EXPECT_LE(QFontMetrics(combo->font()).horizontalAdvance(combo->itemText(i)) + 30, combo->width());
    }
}

TEST(ListView, RowsAreFoundByItemDataWhereverTheyStand)
{
    QTreeWidget list;
    SetupReportView(&list);
    InsertColumn(&list, 0, "编号", 40, Qt::AlignHCenter);
    InsertColumn(&list, 1, "说明", 300);
    EXPECT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.headerItem()->text(1), "说明");

    InsertRow(&list, 0, "F5", 5);
    InsertRow(&list, 0, "F9", 9);           // in front of F5
    EXPECT_EQ(InsertRow(&list, 99, "F2", 2), 2);  // past the end: appended
    SetRowText(&list, FindRowByItemData(&list, 5), 1, "five");

    EXPECT_EQ(FindRowByItemData(&list, 9), 0);
    EXPECT_EQ(FindRowByItemData(&list, 5), 1);
    EXPECT_EQ(FindRowByItemData(&list, 7), -1);
    EXPECT_EQ(RowText(&list, 1, 1), "five");
    EXPECT_EQ(RowText(&list, 5, 0), "");
    EXPECT_EQ(RowItemData(&list, 5), -1);

    // Cells take their column's alignment.
    const QTreeWidgetItem* item = list.topLevelItem(0);
    EXPECT_TRUE(item->data(0, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHCenter);
    EXPECT_TRUE(item->data(1, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignLeft);

    list.topLevelItem(2)->setSelected(true);
    EXPECT_EQ(SelectedRow(&list), 2);
    DeleteAllRows(&list);
    EXPECT_EQ(RowCount(&list), 0);
    EXPECT_EQ(list.columnCount(), 2);
    EXPECT_EQ(SelectedRow(&list), -1);
}

TEST(ListView, ReportStyleSelectsWholeRowsOnTheListColour)
{
    QWidget root;
    CTemplateLoader({1, "", 100, 100, "宋体", 10,
                     {{1032, ControlKind::ListView, "", 0, 0, 100, 100, StyleMultiSelect}}})
        .Build(&root);
    auto* list = Control<QTreeWidget>(&root, 1032);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(list->rootIsDecorated());
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(240, 247, 233));
}
