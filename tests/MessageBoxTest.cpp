// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/MessageBoxRecorder.h"

#include "ui/WaitCursor.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Runs `act` on the real message box once it is shown.
void OnNextBox(std::function<void(QMessageBox*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(box);
    });
}

QPushButton* ButtonWithText(QMessageBox* box, const QString& text)
{
    for (QAbstractButton* button : box->buttons())
        if (button->text() == text)
            return qobject_cast<QPushButton*>(button);
    return nullptr;
}

} // namespace

TEST(MessageBox, RecorderRecordsAndAnswersThenRestoresTheOuterHandler)
{
    CMessageBoxRecorder outer(IDNO);
    {
        CMessageBoxRecorder inner(IDOK);
        inner.QueueAnswers({IDYES, IDCANCEL});
        QString seenWhileOpen;
        inner.SetOnShow([&](const MessageBoxCall& call) { seenWhileOpen = call.text; });

        EXPECT_EQ(VelorMessageBox("请重新启动程序，方能生效"), IDYES);
        EXPECT_EQ(VelorMessageBox("b", MB_OKCANCEL | MB_ICONERROR, "串口", "权限不足"), IDCANCEL);
        EXPECT_EQ(VelorMessageBox("c"), IDOK);
        EXPECT_EQ(seenWhileOpen, "c");

        ASSERT_EQ(inner.Count(), 3);
        const MessageBoxCall& second = inner.Calls()[1];
        EXPECT_EQ(inner.Calls()[0].caption, "VELOR");
        EXPECT_EQ(second.caption, "串口");
        EXPECT_EQ(second.flags, MB_OKCANCEL | MB_ICONERROR);
        EXPECT_EQ(second.details, "权限不足");
    }
    EXPECT_EQ(VelorMessageBox("d"), IDNO);
    EXPECT_EQ(outer.Texts(), QStringList{"d"});
}

TEST(MessageBox, RealBoxShowsTextDetailsAndReturnsTheButtonPressed)
{
    OnNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "VELOR");
        EXPECT_EQ(box->text(), "串口初始化失败，请重新设置");
        EXPECT_EQ(box->detailedText(), "/dev/ttyS0");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        QTest::mouseClick(ButtonWithText(box, "取消"), Qt::LeftButton);
    });
    EXPECT_EQ(VelorMessageBox("串口初始化失败，请重新设置", MB_OKCANCEL | MB_ICONERROR, {}, "/dev/ttyS0"), IDCANCEL);

    OnNextBox([](QMessageBox* box) {
        EXPECT_EQ(box->defaultButton(), ButtonWithText(box, "否(&N)"));
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(VelorMessageBox("?", MB_YESNO | MB_DEFBUTTON2), IDNO);

    // Escape closes a box that only has OK with OK.
    OnNextBox([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(VelorMessageBox("故障码: 12"), IDOK);
}

TEST(WaitCursor, ShowsTheWaitCursorUntilRestored)
{
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    {
        CWaitCursor wait;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        wait.Restore();
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // restored once only
}
