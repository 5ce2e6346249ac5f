#pragma once

#include "app/Page.h"
#include "app/PageTab.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "sim/SimController.h"
#include "tests/TestPeer.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Stands in for the main dialog as the owner of g_port: collects each
// forwarded frame from STX to ETX into g_reply and hands it to the page the
// tab control shows.
class CReplyRouter : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void OnCommRxChar(int byte, int /*portNumber*/)
    {
        const char c = static_cast<char>(byte);
        if (c == STX)
            m_frame.clear();
        m_frame += c;
        if (c != ETX || m_frame[0] != STX)
            return;
        g_reply.SetText(m_frame.c_str());
        m_frame.clear();
        if (m_tab && m_tab->CurrentPage())
            m_tab->CurrentPage()->OnReplyReady();
    }
    CPageTab* m_tab = nullptr;

private:
    std::string m_frame;
};

// The live pages in their tab control, polling a simulated controller over a
// pseudo-terminal. The line and g_port stay open for the whole suite (closing
// the port costs a second); every test gets a fresh tab control with fresh
// pages and a fresh controller, and may script answers before the controller's.
class LivePageRig : public ::testing::Test
{
protected:
    // An answer for a request, or nullopt to let the simulated controller answer.
    using Script = std::function<std::optional<std::string>(const std::string& request)>;

    static constexpr int kPort = 1;

    static void SetUpTestSuite()
    {
        s_peer = new CTestPeer(kPort);
        s_router = new CReplyRouter;
        ASSERT_EQ(g_port.Open(s_router, kPort, 9600, 'N', 8, 1, 0x49), 1);
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
            if (m_script)
                if (std::optional<std::string> answer = m_script(request))
                    return *answer;
            return m_sim->HandleRequest(request, baud);
        });
        s_peer->ClearRequests();
        m_window = std::make_unique<QWidget>();
        m_tab = new CPageTab(s_router, m_window.get());
        m_tab->resize(460, 640);
        s_router->m_tab = m_tab;
        m_window->resize(m_tab->size());
        m_window->show();
    }
    void TearDown() override
    {
        s_router->m_tab = nullptr;
        m_window.reset();
        s_peer->SetResponder({});
        DrainLine();
        g_specialCode = 0;
    }

    // Creates the pages; page 0 gets the focus and starts polling.
    void StartPages() { m_tab->Init(); }

    // Serves events for ms milliseconds as the program's event loop does:
    // timers fire, forwarded bytes are handled as soon as they come.
    static void Run(int ms)
    {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // Serves events until the peer has seen count frames (or 3 s passed).
    static void RunUntilRequests(size_t count)
    {
        QElapsedTimer clock;
        clock.start();
        while (s_peer->Requests().size() < count && clock.elapsed() < 3000)
            Run(5);
    }
    // Lets the replies still on the way arrive while no page is left to take them.
    static void DrainLine() { Run(30); }

    static std::vector<std::string> Requests() { return s_peer->Requests(); }
    static void ClearRequests() { s_peer->ClearRequests(); }
    // The letters of every request, in order ("A5", "A3", ...).
    static std::vector<std::string> RequestLetters()
    {
        std::vector<std::string> letters;
        for (const std::string& frame : Requests())
            letters.push_back(frame.substr(3, 2));
        return letters;
    }

    static std::string Command(char c1, char c2)
    {
        CFrameBuffer frame;
        frame.BuildCommand(255, c1, c2);
        return frame.Data();
    }

    static CTestPeer* s_peer;
    static CReplyRouter* s_router;
    std::unique_ptr<CSimController> m_sim = std::make_unique<CSimController>();
    Script m_script;
    std::unique_ptr<QWidget> m_window;
    CPageTab* m_tab = nullptr;
};

inline CTestPeer* LivePageRig::s_peer = nullptr;
inline CReplyRouter* LivePageRig::s_router = nullptr;
