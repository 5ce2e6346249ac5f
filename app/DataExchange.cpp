#include "app/DataExchange.h"

#include "app/MessageBox.h"
#include "app/TemplateLoader.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

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

bool CDataExchange::Unsigned(int id, unsigned& value, unsigned min, unsigned max)
{
    QWidget* control = NumberToTake(id, value);
    if (!control)
        return !m_failed;
    const std::optional<long long> parsed = ParseDecimal(ControlText(control), false);
    if (!parsed || *parsed > UINT_MAX)
        return Fail(control, kPromptPositiveInteger);
    if (*parsed < min || *parsed > max)
        return Fail(control, kPromptIntegerRange.arg(min).arg(max));
    value = static_cast<unsigned>(*parsed);
    return true;
}

bool CDataExchange::Signed(int id, int& value)
{
    QWidget* control = NumberToTake(id, value);
    if (!control)
        return !m_failed;
    const std::optional<long long> parsed = ParseDecimal(ControlText(control), true);
    if (!parsed || *parsed < INT_MIN || *parsed > INT_MAX)
        return Fail(control, kPromptInteger);
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
