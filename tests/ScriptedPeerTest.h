#pragma once

#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "sim/SimController.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/TestPeer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

// A page under test against a simulated controller over one line: the line and
// g_port stay open for the whole suite (closing the port costs a second); the
// controller is fresh per test, and a script may override its answers request
// by request (nullopt: the controller answers, an empty string: silence). The
// controller answers at m_answerBaud, or at the line's rate while that is 0.
class CScriptedPeerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_peer = new CTestPeer(1);
        ASSERT_EQ(g_port.Open(nullptr, 1, 9600, 'N', 8, 1, 0x49), 1);
    }
    static void TearDownTestSuite()
    {
        g_port.Close();
        delete s_peer;
        s_peer = nullptr;
    }
    void SetUp() override
    {
        g_specialCode = 'E';
        s_peer->SetResponder([this](const std::string& request, int baud) {
            const std::optional<std::string> scripted = m_script ? m_script(request) : std::nullopt;
            return scripted ? *scripted : m_sim->HandleRequest(request, m_answerBaud ? m_answerBaud : baud);
        });
        s_peer->ClearRequests();
    }
    void TearDown() override
    {
        s_peer->SetResponder({});
        g_specialCode = 0;
    }

    static std::vector<std::string> Requests() { return s_peer->Requests(); }
    static void ClearRequests() { s_peer->ClearRequests(); }

    static inline CTestPeer* s_peer = nullptr;
    std::unique_ptr<CSimController> m_sim = std::make_unique<CSimController>();
    std::function<std::optional<std::string>(const std::string&)> m_script;
    int m_answerBaud = 0;
    CMessageBoxRecorder m_boxes;
};
