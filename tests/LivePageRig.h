// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Page.h"
#include "app/PageTab.h"
#include "link/FrameAssembler.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "sim/SimController.h"
#include "tests/SimLineRig.h"

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
        ++m_frames;
        g_reply.SetText(m_assembler.Frame());
        if (m_tab && m_tab->CurrentPage())
            m_tab->CurrentPage()->OnReplyReady();
    }
    CPageTab* m_tab = nullptr;
    // The frames assembled so far.
    int Frames() const { return m_frames; }

private:
    CFrameAssembler m_assembler;
    int m_frames = 0;
};

// The live pages in their tab control, polling the simulated controller of
// a SimLineRig; every test gets fresh pages. With m_silent only the replies a
// test hands to a page itself reach it.
class LivePageRig : public SimLineRig
{
protected:
    static void SetUpTestSuite()
    {
        s_router = new CReplyRouter;
        OpenLine(s_router);
    }
    static void TearDownTestSuite()
    {
        CloseLine();
        delete s_router;
    }

    void SetUp() override
    {
        SimLineRig::SetUp();
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
        SimLineRig::TearDown();
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

    static inline CReplyRouter* s_router = nullptr;
    std::unique_ptr<CPageTab> m_tab;
};
