// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/MessageBoxRecorder.h"
#include "tests/SimLineRig.h"

#include <optional>

// A SimLineRig whose script can also silence single requests: m_answer gives
// per request the bytes to answer (an empty string: silence) or nullopt to
// leave the request to the controller. The controller answers at
// m_answerBaud, or at the line's rate while that is 0.
class CScriptedPeerTest : public SimLineRig
{
protected:
    void SetUp() override
    {
        SimLineRig::SetUp();
        s_peer->SetResponder([this](const std::string& request, int baud) {
            const std::optional<std::string> scripted = m_answer ? m_answer(request) : std::nullopt;
            return scripted ? *scripted : m_sim->HandleRequest(request, m_answerBaud ? m_answerBaud : baud);
        });
    }

    std::function<std::optional<std::string>(const std::string&)> m_answer;
    int m_answerBaud = 0;
    CMessageBoxRecorder m_boxes;
};
