#pragma once

#include "app/Page.h"
#include "app/PageTab.h"
#include "link/FrameAssembler.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "sim/SimController.h"
#include "tests/TestPeer.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

// Stands in for the main dialog as the owner of g_port: assembles each
// forwarded frame into g_reply as the main dialog does and hands it to the
// shown page.
class CReplyRouter : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void OnCommRxChar(int byte, int /*portNumber*/)
    {
        if (!m_assembler.Feed(static_cast<char>(byte)))
            return;
        g_reply.SetText(m_assembler.Frame());
        if (m_tab && m_tab->CurrentPage())
            m_tab->CurrentPage()->OnReplyReady();
    }
    CPageTab* m_tab = nullptr;

private:
    CFrameAssembler m_assembler;
};

// The live pages in their tab control, polling a simulated controller over a
// pseudo-terminal. The line and g_port stay open for the whole suite (closing
// the port costs a second); every test gets fresh pages and a fresh
// controller. A test may answer requests itself through m_script (an empty
// answer leaves them to the controller), or set m_silent so that only the
// replies it hands to a page itself reach it.
class LivePageRig : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_peer = new CTestPeer(1);
        s_router = new CReplyRouter;
        ASSERT_EQ(g_port.Open(s_router, 1, 9600, 'N', 8, 1, 0x49), 1);
    }
    static void TearDownTestSuite()
    {
        g_port.Close();
        delete s_peer;
        delete s_router;
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
        m_tab = std::make_unique<CPageTab>(s_router);
        m_tab->resize(460, 640);
        m_tab->show();
        s_router->m_tab = m_tab.get();
    }
    void TearDown() override
    {
        s_router->m_tab = nullptr;
        m_tab.reset();
        s_peer->SetResponder({});
        Run(30); // replies still on the way find no page
        g_specialCode = 0;
    }

    // Serves events for ms milliseconds as the program's event loop does.
    static void Run(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // Serves events until the peer has seen count frames (at most 3 s).
    static void RunUntilRequests(size_t count)
    {
        for (int waited = 0; s_peer->Requests().size() < count && waited < 3000; waited += 5)
            Run(5);
    }
    static std::vector<std::string> Requests() { return s_peer->Requests(); }
    static void ClearRequests() { s_peer->ClearRequests(); }
    // The letters of the first count requests ("A5", "A3", ...).
    static std::vector<std::string> RequestLetters(size_t count)
    {
        std::vector<std::string> letters;
        for (const std::string& frame : Requests())
            if (letters.size() < count)
                letters.push_back(frame.substr(3, 2));
        return letters;
    }

    // Hands a reply to a page as the main dialog does.
    static void Deliver(CPage* page, const std::string& frame)
    {
        g_reply.SetText(frame.c_str());
        page->OnReplyReady();
    }

    static inline CTestPeer* s_peer = nullptr;
    static inline CReplyRouter* s_router = nullptr;
    std::unique_ptr<CSimController> m_sim = std::make_unique<CSimController>();
    std::function<std::string(const std::string& request)> m_script;
    bool m_silent = false;
    std::unique_ptr<CPageTab> m_tab;
};
