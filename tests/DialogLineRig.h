#pragma once

#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "sim/SimController.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/TestPeer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The line for the dialogs that talk to the controller: g_port on a
// pseudo-terminal peer for the whole suite (closing the port costs a second),
// a fresh simulated controller per test. A test may answer requests itself
// through m_script (an empty answer leaves the request to the controller) or
// set m_silent to unplug the controller's answers.
class DialogLineRig : public ::testing::Test
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
    }
    void SetUp() override
    {
        g_specialCode = 'E';
        s_peer->SetResponder([this](const std::string& request, int baud) {
            const std::string scripted = m_script ? m_script(request) : std::string();
            if (m_silent || !scripted.empty())
                return scripted;
            return m_sim->HandleRequest(request, baud);
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
    std::function<std::string(const std::string&)> m_script;
    bool m_silent = false;
    CMessageBoxRecorder m_boxes;
};
