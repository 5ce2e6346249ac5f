// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataExchange.h"

#include "ui/MessageBox.h"
#include "ui/TemplateLoader.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <climits>
#include <optional>

namespace {

const QString kPromptPositiveInteger = QStringLiteral("Please enter a positive integer.");
const QString kPromptIntegerRange = QStringLiteral("Please enter an integer between %1 and %2.");
const QString kPromptInteger = QStringLiteral("Please enter an integer.");

// A decimal number with optional surrounding blanks and, where allowed, a sign.
std::optional<long long> ParseDecimal(const QString& text, bool allowMinus)
{
    QString digits = text.trimmed();
    bool negative = false;
    if (digits.startsWith(u'+') || (allowMinus && digits.startsWith(u'-'))) {
        negative = digits.startsWith(u'-');
        digits.remove(0, 1);
    }
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    long long value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}

// The framework reads at most this many characters of an edit for a number.
constexpr int kMostScannedChars = 63;

// The number "%u" reads from the start of a text: blanks skipped, an optional
// sign, then the leading digits; nothing when no digit follows. A magnitude
// beyond 32 bits saturates, and a minus sign wraps the number below 2^32 as
// "%u" does; a magnitude above 2^31 with a minus gives the largest value, so
// that no negative number lands in a small range.
std::optional<long long> ScanUnsignedDecimal(const QString& text)
{
    const QString head = text.left(kMostScannedChars);
    int pos = 0;
    while (pos < head.size() && head[pos].isSpace())
        ++pos;
    const bool negative = pos < head.size() && head[pos] == u'-';
    if (pos < head.size() && (head[pos] == u'+' || head[pos] == u'-'))
        ++pos;
    const int firstDigit = pos;
    long long magnitude = 0;
    for (; pos < head.size() && head[pos] >= u'0' && head[pos] <= u'9'; ++pos)
        magnitude = std::min<long long>(magnitude * 10 + (head[pos].unicode() - u'0'), UINT_MAX);
    if (pos == firstDigit)
        return std::nullopt;
    if (!negative || magnitude == 0)
        return magnitude;
    constexpr long long kWrap = 1LL << 32;
    return magnitude <= kWrap / 2 ? kWrap - magnitude : UINT_MAX;
}

void SetMaxChars(QWidget* control, int maxChars)
{
    if (maxChars <= 0)
        return;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setMaxLength(maxChars);
    else if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        combo->lineEdit()->setMaxLength(maxChars);
}

int FindEntryBeginningWith(const QComboBox* combo, const QString& text)
{
    if (text.isEmpty())
        return -1;
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i).startsWith(text, Qt::CaseInsensitive))
            return i;
    return -1;
}

} // namespace

QString ControlText(const QWidget* control)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    return control ? control->windowTitle() : QString();
}

void SetControlText(QWidget* control, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        if (combo->isEditable())
            combo->setEditText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
    else if (control)
        control->setWindowTitle(text);
}

CDataExchange::CDataExchange(QWidget* root, bool saveAndValidate)
    : m_root(root), m_saving(saveAndValidate)
{
}

QWidget* CDataExchange::Find(int id) const
{
    QWidget* control = Control<QWidget>(m_root, id);
    if (!control)
        qWarning("data exchange: no control %d", id);
    return control;
}

bool CDataExchange::Fail(QWidget* control, const QString& prompt)
{
    VelorMessageBox(prompt, MB_OK | MB_ICONWARNING);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    m_failed = true;
    return false;
}

bool CDataExchange::Text(int id, QString& value, int maxChars)
{
    QWidget* control = Find(id);
    if (m_failed || !control)
        return !m_failed;
    if (m_saving) {
        value = ControlText(control);
    } else {
        SetMaxChars(control, maxChars);
        SetControlText(control, value);
    }
    return true;
}

bool CDataExchange::Unsigned(int id, unsigned& value)
{
    return Unsigned(id, value, 0, UINT_MAX);
}

QWidget* CDataExchange::NumberToTake(int id, long long value)
{
    QWidget* control = Find(id);
    if (m_failed || !control)
        return nullptr;
    if (!m_saving) {
        SetControlText(control, QString::number(value));
        return nullptr;
    }
    return control;
}

bool CDataExchange::TakeUnsigned(QWidget* control, std::optional<long long> parsed, unsigned& value,
                                 unsigned min, unsigned max)
{
    if (!parsed || *parsed > UINT_MAX)
        return Fail(control, kPromptPositiveInteger);
    if (*parsed < min || *parsed > max)
        return Fail(control, kPromptIntegerRange.arg(min).arg(max));
    value = static_cast<unsigned>(*parsed);
    return true;
}

bool CDataExchange::Unsigned(int id, unsigned& value, unsigned min, unsigned max)
{
    QWidget* control = NumberToTake(id, value);
    if (!control)
        return !m_failed;
    return TakeUnsigned(control, ParseDecimal(ControlText(control), false), value, min, max);
}

bool CDataExchange::ScannedUnsigned(int id, unsigned& value, unsigned min, unsigned max)
{
    QWidget* control = NumberToTake(id, value);
    if (!control)
        return !m_failed;
    return TakeUnsigned(control, ScanUnsignedDecimal(ControlText(control)), value, min, max);
}

bool CDataExchange::Signed(int id, int& value)
{
    return Signed(id, value, INT_MIN, INT_MAX);
}

bool CDataExchange::Signed(int id, int& value, int min, int max)
{
    QWidget* control = NumberToTake(id, value);
    if (!control)
        return !m_failed;
    const std::optional<long long> parsed = ParseDecimal(ControlText(control), true);
    if (!parsed || *parsed < INT_MIN || *parsed > INT_MAX)
        return Fail(control, kPromptInteger);
    if (*parsed < min || *parsed > max)
        return Fail(control, kPromptIntegerRange.arg(min).arg(max));
    value = static_cast<int>(*parsed);
    return true;
}

bool CDataExchange::ComboText(int id, QString& value, int maxChars)
{
    auto* combo = qobject_cast<QComboBox*>(Find(id));
    if (m_failed || !combo)
        return !m_failed;
    if (m_saving) {
        value = combo->currentText();
        return true;
    }
    SetMaxChars(combo, maxChars);
    const int entry = FindEntryBeginningWith(combo, value);
    if (entry >= 0)
        combo->setCurrentIndex(entry);
    else if (combo->isEditable())
        combo->setEditText(value);
    return true;
}

bool CDataExchange::Check(int id, bool& value)
{
    auto* button = qobject_cast<QAbstractButton*>(Find(id));
    if (m_failed || !button)
        return !m_failed;
    if (m_saving) {
        value = button->isChecked();
        return true;
    }
    // An exclusive radio button cannot be cleared directly.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(value);
    button->setAutoExclusive(exclusive);
    return true;
}
