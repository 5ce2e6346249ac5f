// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MessageBox.h"

#include "link/Cancel.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <utility>
#include <vector>

namespace {

MessageBoxHandler& CurrentHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

struct ButtonSpec {
    int result;
    QString text;
    QMessageBox::ButtonRole role;
};

std::vector<ButtonSpec> ButtonsFor(int flags)
{
    const ButtonSpec ok{IDOK, QStringLiteral("确定"), QMessageBox::AcceptRole};
    const ButtonSpec cancel{IDCANCEL, QStringLiteral("取消"), QMessageBox::RejectRole};
    const ButtonSpec yes{IDYES, QStringLiteral("是(&Y)"), QMessageBox::YesRole};
    const ButtonSpec no{IDNO, QStringLiteral("否(&N)"), QMessageBox::NoRole};
    const ButtonSpec abort{IDABORT, QStringLiteral("中止(&A)"), QMessageBox::RejectRole};
    const ButtonSpec retry{IDRETRY, QStringLiteral("重试(&R)"), QMessageBox::AcceptRole};
    const ButtonSpec ignore{IDIGNORE, QStringLiteral("忽略(&I)"), QMessageBox::AcceptRole};
    switch (flags & 0xF) {
    case MB_OKCANCEL: return {ok, cancel};
    case MB_ABORTRETRYIGNORE: return {abort, retry, ignore};
    case MB_YESNOCANCEL: return {yes, no, cancel};
    case MB_YESNO: return {yes, no};
    case MB_RETRYCANCEL: return {retry, cancel};
    default: return {ok};
    }
}

QMessageBox::Icon IconFor(int flags)
{
    switch (flags & 0xF0) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// The result when the box is closed without a button: Cancel where there is
// one, OK for a box with only OK; other boxes cannot be closed that way.
int EscapeResult(const std::vector<ButtonSpec>& buttons)
{
    for (const ButtonSpec& button : buttons)
        if (button.result == IDCANCEL)
            return IDCANCEL;
    return buttons.size() == 1 ? buttons.front().result : 0;
}

// Every box shown also goes to standard error, so a technician's terminal or
// the system log keeps what the program said after the box is closed.
void LogMessageBox(const MessageBoxCall& call)
{
    QString text = QString("velor: %1: %2\n").arg(call.caption, call.text);
    if (!call.details.isEmpty())
        text += "  " + QString(call.details).replace("\n", "\n  ") + "\n";
    std::fputs(qUtf8Printable(text), stderr);
    std::fflush(stderr);
}

int ShowMessageBox(const MessageBoxCall& call)
{
    LogMessageBox(call);
    QMessageBox box(IconFor(call.flags), call.caption, call.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    if (!call.details.isEmpty())
        box.setDetailedText(call.details);

    const std::vector<ButtonSpec> buttons = ButtonsFor(call.flags);
    const int defaultIndex = (call.flags & 0xF00) >> 8;
    const int escapeResult = EscapeResult(buttons);
    std::vector<std::pair<QAbstractButton*, int>> results;
    for (size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* button = box.addButton(buttons[i].text, buttons[i].role);
        results.emplace_back(button, buttons[i].result);
        if (int(i) == defaultIndex)
            box.setDefaultButton(button);
        if (buttons[i].result == escapeResult)
            box.setEscapeButton(button);
    }
    box.exec();
    for (const auto& [button, result] : results)
        if (box.clickedButton() == button)
            return result;
    return escapeResult;
}

} // namespace

// Once the program is closing, nothing is asked or shown any more: what an
// operation stopped by the close would say goes to the log only, and the box
// answers as if closed without a button (a question is answered No).
int VelorMessageBox(const QString& text, int flags, const QString& caption, const QString& details)
{
    const MessageBoxCall call{text, caption.isEmpty() ? kMessageBoxCaption : caption, flags, details};
    if (CCancel::Closing()) {
        LogMessageBox(call);
        return EscapeResult(ButtonsFor(flags));
    }
    const MessageBoxHandler handler = CurrentHandler();  // a copy: the handler may replace itself
    return handler ? handler(call) : ShowMessageBox(call);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(CurrentHandler(), std::move(handler));
}

bool AskFirst(const QString& question)
{
    return VelorMessageBox(question, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}
