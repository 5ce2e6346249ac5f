#include "dialogs/ValueDlg.h"

#include "tests/DialogDriver.h"
#include "tests/MessageBoxRecorder.h"

#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

using namespace DialogDriver;

namespace {

constexpr int kValueEdit = 1001;

} // namespace

TEST(ValueDlg, ShowsPromptAndValueAndReturnsAnyTextAsTyped)
{
    CMessageBoxRecorder boxes;
    const QString longText = QString("1234567890").repeated(30) + "abc";
    for (const QString& typed : {QString(), QString("abc"), longText}) {
        CValueDlg dialog;
        dialog.m_strPrompt = "启动速度";
        dialog.m_strValue = "150";
        Show(dialog);
        EXPECT_EQ(Control<QLabel>(&dialog, 1036)->text(), "启动速度");
        EXPECT_EQ(Text(&dialog, kValueEdit), "150");
        Type(&dialog, kValueEdit, typed);
        Click(&dialog, 1);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.m_strValue, typed);
    }
    EXPECT_EQ(boxes.Count(), 0);
}

TEST(ValueDlg, EscapeAndCancelLeaveTheValue)
{
    for (const bool byEscape : {true, false}) {
        CValueDlg dialog;
        dialog.m_strValue = "7";
        QTimer::singleShot(0, &dialog, [&] {
            Type(&dialog, kValueEdit, "8");
            if (byEscape)
                QTest::keyClick(Control<QLineEdit>(&dialog, kValueEdit), Qt::Key_Escape);
            else
                Click(&dialog, 2);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(dialog.m_strValue, "7");
    }
}
