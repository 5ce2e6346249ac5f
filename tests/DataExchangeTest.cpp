// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/MessageBoxRecorder.h"

#include "ui/DataExchange.h"
#include "ui/TemplateDialog.h"
#include "ui/TemplateLoader.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int kValueEdit = 1001;
constexpr int kSignedEdit = 1002;
constexpr int kNameEdit = 1003;
constexpr int kDropList = 1054;
constexpr int kDropDown = 1060;

DialogTemplate EntryTemplate()
{
    return {1, "entry", 120, 100, "宋体", 10,
            {
                {kValueEdit, ControlKind::Edit, "", 10, 10, 60, 14},
                {kSignedEdit, ControlKind::Edit, "", 10, 30, 60, 14},
                {kNameEdit, ControlKind::Edit, "", 10, 50, 60, 14},
                {kDropList, ControlKind::ComboDropList, "", 80, 10, 30, 60, 0, {"COM1", "COM2", "COM3", "COM12"}},
                {kDropDown, ControlKind::ComboDropDown, "", 80, 30, 30, 60, 0, {"0", "0", "0"}},
                {1016, ControlKind::RadioButton, "有效", 10, 70, 40, 10},
                {1017, ControlKind::RadioButton, "无效", 60, 70, 40, 10},
                {1, ControlKind::DefPushButton, "OK", 10, 84, 40, 14},
                {2, ControlKind::Button, "Cancel", 60, 84, 40, 14},
            }};
}

class DataExchangeTest : public ::testing::Test {
protected:
    DataExchangeTest() { CTemplateLoader(EntryTemplate()).Build(&root); }

    void Type(int id, const QString& text) { Control<QLineEdit>(&root, id)->setText(text); }
    QComboBox* Combo(int id) { return Control<QComboBox>(&root, id); }

    // Loads `text` into the combo box, then saves it back.
    QString ComboRoundTrip(int id, QString text)
    {
        CDataExchange(&root, false).ComboText(id, text);
        QString saved = "unchanged";
        CDataExchange(&root, true).ComboText(id, saved);
        return saved;
    }

    QWidget root;
    CMessageBoxRecorder boxes;
};

} // namespace

TEST_F(DataExchangeTest, DropListSelectsTheFirstEntryBeginningWithTheText)
{
    EXPECT_EQ(ComboRoundTrip(kDropList, "COM3"), "COM3");
    EXPECT_EQ(ComboRoundTrip(kDropList, "COM1"), "COM1");  // not COM12
    EXPECT_EQ(Combo(kDropList)->currentIndex(), 0);
    EXPECT_EQ(ComboRoundTrip(kDropList, "com2"), "COM2");  // case does not matter
    EXPECT_EQ(ComboRoundTrip(kDropList, "COM"), "COM1");   // a prefix is enough

    // No entry begins with the text: a drop list keeps what it showed.
    EXPECT_EQ(ComboRoundTrip(kDropList, "COM7"), "COM1");
    EXPECT_EQ(ComboRoundTrip(kDropList, ""), "COM1");
}

TEST_F(DataExchangeTest, DropListWithoutMatchStaysUnselected)
{
    EXPECT_EQ(ComboRoundTrip(kDropList, "9600"), "");
    EXPECT_EQ(Combo(kDropList)->currentIndex(), -1);
}

TEST_F(DataExchangeTest, DropDownTakesAnUnmatchedTextIntoItsEditField)
{
    for (const QString code : {"N", "E", "L"}) {
        EXPECT_EQ(ComboRoundTrip(kDropDown, code), code);
        EXPECT_EQ(Combo(kDropDown)->currentIndex(), -1);
    }
    EXPECT_EQ(ComboRoundTrip(kDropDown, "0"), "0");
    EXPECT_EQ(Combo(kDropDown)->currentIndex(), 0);
}

TEST_F(DataExchangeTest, NumbersAndTextsRoundTrip)
{
    unsigned value = 4711;
    int signedValue = -12;
    QString name = "FF1234567890";
    bool valid = true;
    bool invalid = false;
    CDataExchange load(&root, false);
    load.Unsigned(kValueEdit, value, 0, 65535);
    load.Signed(kSignedEdit, signedValue);
    load.Text(kNameEdit, name, 9);
    load.Check(1016, valid);
    load.Check(1017, invalid);
    EXPECT_EQ(ControlText(Control<QWidget>(&root, kValueEdit)), "4711");
    EXPECT_EQ(ControlText(Control<QWidget>(&root, kNameEdit)), "FF1234567");  // the edit accepts 9

    Type(kValueEdit, " 65535 ");
    Type(kSignedEdit, "+7");
    Control<QRadioButton>(&root, 1017)->setChecked(true);
    CDataExchange save(&root, true);
    EXPECT_TRUE(save.Unsigned(kValueEdit, value, 0, 65535));
    EXPECT_TRUE(save.Signed(kSignedEdit, signedValue));
    EXPECT_TRUE(save.Text(kNameEdit, name));
    save.Check(1016, valid);
    save.Check(1017, invalid);
    EXPECT_FALSE(save.Failed());
    EXPECT_EQ(value, 65535u);
    EXPECT_EQ(signedValue, 7);
    EXPECT_EQ(name, "FF1234567");
    EXPECT_FALSE(valid);
    EXPECT_TRUE(invalid);
    EXPECT_EQ(boxes.Count(), 0);

    // Radio buttons of one group can both be cleared by loading.
    bool off = false;
    CDataExchange clear(&root, false);
    clear.Check(1016, off);
    clear.Check(1017, off);
    EXPECT_FALSE(Control<QRadioButton>(&root, 1016)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(&root, 1017)->isChecked());
}

TEST_F(DataExchangeTest, RefusedValuesShowTheFrameworkPrompts)
{
    struct Case {
        int id;
        QString typed;
        QString prompt;
    };
    const Case cases[] = {
        {kValueEdit, "abc", "Please enter a positive integer."},
        {kValueEdit, "", "Please enter a positive integer."},
        {kValueEdit, "-3", "Please enter a positive integer."},
        {kValueEdit, "12x", "Please enter a positive integer."},
        {kValueEdit, "99999999999", "Please enter a positive integer."},
        {kValueEdit, "65536", "Please enter an integer between 0 and 65535."},
        {kSignedEdit, "1.5", "Please enter an integer."},
        {kSignedEdit, "- 4", "Please enter an integer."},
        {kSignedEdit, "3000000000", "Please enter an integer."},
    };
    for (const Case& c : cases) {
        boxes.Clear();
        Type(c.id, c.typed);
        unsigned value = 1;
        int signedValue = 1;
        CDataExchange save(&root, true);
        const bool taken = c.id == kValueEdit ? save.Unsigned(kValueEdit, value, 0, 65535)
                                              : save.Signed(kSignedEdit, signedValue);
        EXPECT_FALSE(taken) << c.typed.toStdString();
        EXPECT_EQ(boxes.Texts(), QStringList{c.prompt}) << c.typed.toStdString();
        EXPECT_EQ(value, 1u);
        EXPECT_EQ(signedValue, 1);
    }
    EXPECT_EQ(boxes.Calls().back().caption, "VELOR");
}

TEST_F(DataExchangeTest, RefusalFocusesTheEditAndStopsTheExchange)
{
    root.show();
    root.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&root));
    Control<QLineEdit>(&root, kNameEdit)->setFocus();

    Type(kValueEdit, "70000");
    Type(kNameEdit, "new");
    unsigned value = 5;
    QString name = "old";
    CDataExchange save(&root, true);
    save.Unsigned(kValueEdit, value, 1, 9);
    EXPECT_FALSE(save.Text(kNameEdit, name));  // after a refusal nothing more is taken

    auto* edit = Control<QLineEdit>(&root, kValueEdit);
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(edit->selectedText(), "70000");
    EXPECT_EQ(boxes.Texts(), QStringList{"Please enter an integer between 1 and 9."});
    EXPECT_EQ(name, "old");
}

namespace {

// A dialog with one value in 1..9.
class CValueEntryDlg : public CTemplateDialog {
public:
    CValueEntryDlg() : CTemplateDialog(EntryTemplate()) {}
    unsigned m_value = 3;
    int m_initCount = 0;

protected:
    void OnInitDialog() override
    {
        ++m_initCount;
        CTemplateDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange& dx) override { dx.Unsigned(kValueEdit, m_value, 1, 9); }
};

} // namespace

TEST(TemplateDialog, OkKeepsTheDialogOpenUntilTheValuesPass)
{
    CMessageBoxRecorder boxes;
    CValueEntryDlg dialog;
    dialog.m_value = 4;
    bool stayedOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        auto* edit = Control<QLineEdit>(&dialog, kValueEdit);
        EXPECT_EQ(edit->text(), "4");  // loaded when the dialog opened
        edit->setText("12");
        QTest::mouseClick(Control<QPushButton>(&dialog, 1), Qt::LeftButton);
        stayedOpen = dialog.isVisible();
        edit->setText("8");
        QTest::mouseClick(Control<QPushButton>(&dialog, 1), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(boxes.Texts(), QStringList{"Please enter an integer between 1 and 9."});
    EXPECT_EQ(dialog.m_value, 8u);
    EXPECT_EQ(dialog.m_initCount, 1);
}

TEST(TemplateDialog, CancelAndEscapeLeaveTheFieldsAlone)
{
    CMessageBoxRecorder boxes;
    for (bool byEscape : {false, true}) {
        CValueEntryDlg dialog;
        QTimer::singleShot(0, &dialog, [&] {
            Control<QLineEdit>(&dialog, kValueEdit)->setText("7");
            if (byEscape)
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(Control<QPushButton>(&dialog, 2), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(dialog.m_value, 3u);
    }
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(DataExchangeTest, ScannedUnsignedTakesLeadingDigitsAndWrapsNegatives)
{
    struct Case {
        QString typed;
        unsigned taken;  // 0 with a prompt: refused
        QString prompt;
    };
    const Case cases[] = {
        {"+7", 7, {}},
        {"  42 apples", 42, {}},
        {"-0", 0, {}},
        {"-1", 0, "Please enter an integer between 0 and 59."},
        {"-4294967295", 0, "Please enter an integer between 0 and 59."},  // never wraps into range
        {"99999999999", 0, "Please enter an integer between 0 and 59."},
        {"- 1", 0, "Please enter a positive integer."},
        {QString(63, u' ') + "5", 0, "Please enter a positive integer."},  // past the characters read
    };
    for (const Case& c : cases) {
        boxes.Clear();
        Type(kValueEdit, c.typed);
        unsigned value = 0;
        CDataExchange(&root, true).ScannedUnsigned(kValueEdit, value, 0, 59);
        EXPECT_EQ(value, c.taken) << c.typed.toStdString();
        EXPECT_EQ(boxes.Texts(), c.prompt.isEmpty() ? QStringList{} : QStringList{c.prompt}) << c.typed.toStdString();
    }
}
