// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/ControllerTextValidator.h"

#include "link/ControllerText.h"

CControllerTextValidator::CControllerTextValidator(int mostBytes, QObject* parent)
    : QValidator(parent)
    , m_mostBytes(mostBytes)
{
}

// Encoded one byte beyond the limit, a text that does not fit shows it.
QValidator::State CControllerTextValidator::validate(QString& text, int&) const
{
    return EncodeControllerText(text, m_mostBytes + 1).size() <= m_mostBytes ? Acceptable : Invalid;
}
