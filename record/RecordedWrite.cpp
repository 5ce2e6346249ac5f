// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/RecordedWrite.h"

CRecordedWrite::CRecordedWrite(const QString& board, const QString& what, std::optional<int> parameter,
                               const QString& oldValue, const QString& newValue)
    : m_intent(CServiceRecord::Instance().AddWriteIntent(board, what, parameter, oldValue, newValue))
{
}

void CRecordedWrite::Done(CServiceRecord::Outcome outcome)
{
    CServiceRecord::Instance().AddWriteOutcome(m_intent, outcome);
    m_intent.clear();
}
