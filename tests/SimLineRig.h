// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "sim/SimController.h"
#include "tests/TestPeer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A simulated controller at the far end of g_port, over a pseudo-terminal.
// The line and g_port stay open for the whole suite (closing the port costs a
// second); every test gets a fresh controller. A test may answer requests
// itself through m_script (an empty answer leaves them to the controller), or
// set m_silent so that nothing but its script answers.
class SimLineRig : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { OpenLine(nullptr); }
    static void TearDownTestSuite() { CloseLine(); }
    // g_port on a fresh peer, delivering unasked bytes to owner.
    static void OpenLine(QObject* owner)
    {
        s_peer = new CTestPeer(1);
        ASSERT_EQ(g_port.Open(owner, 1, 9600, 'N', 8, 1, 0x49), 1);
    }
    static void CloseLine()
    {
        // The close step only has to elapse: the monitor thread ends at once.
        const CTimeScaleScope quickClose(0.01);
        g_port.Close();
        delete s_peer;
        s_peer = nullptr;
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
    std::function<std::string(const std::string& request)> m_script;
    bool m_silent = false;
};
