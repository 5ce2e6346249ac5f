#include "params/GenerationProbe.h"

#include "link/Exchange.h"
#include "link/FrameBuffer.h"

namespace {

constexpr int kLongRecordReplyLength = 23;

} // namespace

bool ProbeGeneration(bool& longFormat)
{
    const bool answered = CExchange::Run({.build = [] { g_request.BuildByteArg(kControllerAddress, 'A', '1', 0); },
                                          .waitMs = 50,
                                          .maxCount = 80,
                                          .test = Acceptance::Count});
    if (answered)
        longFormat = g_reply.Length() >= kLongRecordReplyLength;
    return answered;
}
