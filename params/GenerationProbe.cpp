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
int ReplyFrameLength()
{
    const char* start = std::strchr(g_reply.Data(), STX);
    return start ? g_reply.Length() - static_cast<int>(start - g_reply.Data()) : g_reply.Length();
}

} // namespace

bool ProbeGeneration(bool& longFormat)
{
    const bool answered = CExchange::Run({.build = [] { g_request.BuildByteArg(kControllerAddress, 'A', '1', 0); },
                                          .waitMs = 50,
                                          .maxCount = 80,
                                          .test = Acceptance::Count});
    if (answered) {
        longFormat = ReplyFrameLength() >= kLongRecordReplyLength;
        CLineState::SetParameterCount(CParamCatalogue::ForMainBoard(longFormat).Count());
    }
    return answered;
}
