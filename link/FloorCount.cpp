// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FloorCount.h"

#include "link/Exchange.h"
#include "link/FrameBuffer.h"

namespace {

constexpr int kValuePos = 7;
constexpr int kValueDigits = 4;

} // namespace

std::optional<int> CFloorCount::Read()
{
    const bool answered = CExchange::Run({
        .build = [] { g_request.BuildByteArg(kControllerAddress, 'A', '5', kParameter); },
        .waitMs = 50,
        .maxCount = 20,
        .test = Acceptance::Letters,
    });
    if (!answered || !g_reply.Carries(kValuePos, kValueDigits))
        return std::nullopt;
    const int count = ParseHex4(g_reply.Data() + kValuePos);
    return count <= kMost ? std::optional(count) : std::nullopt;
}
