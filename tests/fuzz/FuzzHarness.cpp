// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/fuzz/FuzzHarness.h"

#include "ui/MessageBox.h"
#include "app/ServiceApp.h"
#include "link/FrameBuffer.h"
#include "res/Resources.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int g_boxes = 0;

} // namespace

void StartFuzzApplication()
{
    if (QApplication::instance())
        return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "velor-fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    InitVelorResources();
    // Waits serve events as in the program, so a test peer's answer (given on
    // this thread) reaches an exchange.
    CServiceApp::InstallLinkHooks();
    SetMessageBoxHandler([](const MessageBoxCall&) {
        ++g_boxes;
        return IDOK;
    });
}

int FuzzMessageBoxCount()
{
    return g_boxes;
}

void PutFuzzReply(const uint8_t* data, size_t size, char stale)
{
    char* buffer = g_reply.Data();
    memset(buffer, stale, kFrameBufferSize - 1);
    buffer[kFrameBufferSize - 1] = 0;
    const size_t length = strnlen(reinterpret_cast<const char*>(data), std::min<size_t>(size, kFrameBufferSize - 1));
    memcpy(buffer, data, length);
    buffer[length] = 0;
}

void RequireReplyOnly(const uint8_t* data, size_t size, const std::function<std::string()>& decode)
{
    // Hex digits of different values, so any use of them shows.
    PutFuzzReply(data, size, '7');
    const std::string first = decode();
    PutFuzzReply(data, size, 'C');
    const std::string second = decode();
    // Repaints and relayouts the decoder asked for, as the event loop would
    // serve them; left queued they would pile up from input to input.
    QCoreApplication::sendPostedEvents();
    Require(first == second, "the decoder used characters behind the reply's end:\n" + first + "\n---\n" + second);
}

void Require(bool condition, const std::string& what)
{
    if (condition)
        return;
    fprintf(stderr, "FINDING: %s\n", what.c_str());
    abort();
}
