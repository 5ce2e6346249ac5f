// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/GenerationProbe.h"

#include "link/Exchange.h"
#include "link/FrameBuffer.h"
#include "link/LineState.h"
#include "params/ParamCatalogue.h"

#include <cstring>

namespace {

constexpr int kLongRecordReplyLength = 23;

// The length of the reply from its start byte on: stray bytes that came
// ahead of it on the line (noise, the end of an earlier reply) are no part of
// the record and must not make a short record look long.
const char* ReplyFrameStart()
{
    const char* start = std::strchr(g_reply.Data(), STX);
    return start ? start : g_reply.Data();
}

int ReplyFrameLength()
{
    return g_reply.Length() - static_cast<int>(ReplyFrameStart() - g_reply.Data());
}

} // namespace

bool ProbeGeneration(bool& longFormat, QByteArray* record0)
{
    const bool answered = CExchange::Run({.build = [] { g_request.BuildByteArg(kControllerAddress, 'A', '1', 0); },
                                          .waitMs = 50,
                                          .maxCount = 80,
                                          .test = Acceptance::Count});
    if (!answered)
        return false;
    longFormat = ReplyFrameLength() >= kLongRecordReplyLength;
    CLineState::SetParameterCount(CParamCatalogue::ForMainBoard(longFormat).Count());
    if (record0)
        *record0 = QByteArray(ReplyFrameStart(), ReplyFrameLength());
    return answered;
}
