// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "record/ServiceRecord.h"

// One write to the controller in the record: constructed before the frame
// goes out (the intent is committed then), told the outcome after. Destroyed
// untold, the intent stays without an outcome and reads "unknown".
class CRecordedWrite
{
public:
    CRecordedWrite(const QString& board, const QString& what, std::optional<int> parameter = {},
                   const QString& oldValue = {}, const QString& newValue = {});
    void Done(CServiceRecord::Outcome outcome);
    // Acknowledged when ok, unconfirmed otherwise.
    void Done(bool ok) { Done(ok ? CServiceRecord::Outcome::Acknowledged : CServiceRecord::Outcome::Unconfirmed); }

private:
    QString m_intent;
};
