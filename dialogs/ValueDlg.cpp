// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ValueDlg.h"

#include "ui/DataExchange.h"
#include "ui/MessageBox.h"
#include "ui/TemplateLoader.h"

#include <QLineEdit>

namespace {

constexpr int kTemplateId = 148;
constexpr int kPromptId = 1036;
constexpr int kValueId = 1001;

// More digits than this are too large for any parameter, leading zeros or not.
constexpr int kMostDigits = 10;

} // namespace

CValueDlg::CValueDlg(QWidget* parent)
    : CTemplateDialog(kTemplateId, parent)
{
}

std::optional<int> CValueDlg::ParseValue(const QString& text, int most)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > kMostDigits)
        return std::nullopt;
    long long value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > most)
        return std::nullopt;
    return static_cast<int>(value);
}

void CValueDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Text(kPromptId, m_strPrompt);
    dx.Text(kValueId, m_strValue);
}

void CValueDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    const std::optional<int> value = ParseValue(m_strValue, m_nMost);
    if (!value) {
        VelorMessageBox(QString("参数值必须是 0 到 %1 之间的整数。").arg(m_nMost), MB_OK | MB_ICONWARNING);
        if (auto* edit = Control<QLineEdit>(this, kValueId)) {
            edit->setFocus();
            edit->selectAll();
        }
        return;
    }
    m_nValue = *value;
    accept();
}
