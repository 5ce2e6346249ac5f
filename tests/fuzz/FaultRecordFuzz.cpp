// SPDX-License-Identifier: GPL-3.0-or-later
// A fault record reply of either controller generation, read as the fault
// page reads it. No field shows characters the reply did not carry.
//
// Input: the first byte's lowest bit chooses the generation (1 long-record,
// 0 short-record), the rest is the reply.

#include "link/FrameBuffer.h"
#include "params/FaultRecord.h"
#include "tests/fuzz/FuzzHarness.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool longFormat = data[0] & 1;
    RequireReplyOnly(data + 1, size - 1, [longFormat] {
        FaultRecord record;
        if (!FaultRecord::Read(longFormat, record))
            return std::string("no record");
        Require(record.code >= 0 && record.code <= 0xFF, "fault code out of range");
        Require(record.number.isEmpty() || record.number.toInt() <= (longFormat ? 0xFF : 0xF), "record number out of range");
        Require(record.time.isEmpty() || record.time.size() == (longFormat ? 14 : 8), "time stamp of the wrong length");
        Require(longFormat || record.floor.isEmpty(), "floor shown on the short-record generation");
        return QString("%1|%2|%3|%4").arg(record.code).arg(record.number, record.floor, record.time).toStdString();
    });
    return 0;
}
