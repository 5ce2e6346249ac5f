// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// One record of the controller's fault log as the A1 reply in g_reply carries
// it, in the layout of the controller generation that sent it:
//   long-record:  number 5-6, code 7-8, floor 9-10, time stamp 11-20, shown "##-##-## ##:##"
//   short-record: number 5 (one digit), code 6-7, time stamp 8-15, shown as it stands; no floor
// A code of 0 marks an empty record.
struct FaultRecord
{
    int code = 0;
    // Shown texts; a field the reply does not carry in full stays empty.
    QString number;
    QString floor; // always empty on the short-record generation
    QString time;

    // Records in the log: 20 on the long-record generation, 16 on the short one.
    static int Count(bool longFormat);
    // Reads the record in g_reply; false when the reply is too short to carry
    // the fault code. No field shows characters the reply did not carry.
    static bool Read(bool longFormat, FaultRecord& record);
};
