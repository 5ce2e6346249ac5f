// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

// g_reply holds a frame for the receiving page (WM_USER + 10). On this system
// it is a direct call of the page's reply handler.
constexpr int WM_REPLY_READY = 0x040A;

// How a synchronous exchange decides that the controller answered.
enum class Acceptance {
    None,              // the reply is used whatever it is
    Count,             // some bytes arrived
    Letters,           // the reply echoes the request's two letters
    LettersAck,        // as Letters, with the acknowledgement "F" at ackPos
    ValidFrameLetters, // checksum right and letters (and acknowledgement, if any) match
    NotRefused,        // some bytes arrived and they are not the request's letters without the acknowledgement
};

// The acceptance tests on g_reply after a Read that returned count bytes,
// against the letters of g_request. ackPos 0 means the request has no
// acknowledgement. Every test but AcceptNone fails on an empty read, and only
// characters of this read count, so a previous reply never satisfies them.
bool AcceptNone(int count);
bool AcceptCount(int count);
bool AcceptLetters(int count);
bool AcceptLettersAck(int count, int ackPos);
bool AcceptValidFrameLetters(int count, int ackPos);
bool AcceptNotRefused(int count, int ackPos);
bool Accepts(Acceptance test, int count, int ackPos);

// Request/reply exchanges with the controller through g_request, g_port and g_reply.
class CExchange
{
public:
    struct Request
    {
        std::function<void()> build; // builds the request into g_request
        int waitMs = 50;             // between writing and reading
        int maxCount = 20;           // given to Read
        Acceptance test = Acceptance::Letters;
        int ackPos = 0;              // position of the acknowledgement "F"; 0: none
        int attempts = 1;
        int pauseBeforeMs = 0;       // pause before every build
        int pauseAfterFailureMs = 0; // pause after an attempt that was not accepted, before the next
        int minCount = 0;            // a shorter read fails every test but None
        // The wait is a pause the controller needs (the 5 s after a reset),
        // not a wait for its reply: the fast line keeps it too.
        bool waitIsPause = false;
        // A command that starts or resets something: a reply the fast line
        // missed is not made up for by sending it once more.
        bool sendsOnce = false;
    };

    // Builds, writes, waits, reads into g_reply and tests, up to the request's
    // attempts; true when a reply was accepted (it stays in g_reply). Keeps
    // g_port.m_busy at 1 meanwhile (see CBusyScope for chains). After a cancel
    // request (CCancel), or once the program is closing, no further attempt is
    // written and Run returns false.
    // The reply is the frame with the request's letters; a foreign one (a late
    // reply of an earlier request) is passed over within the same give-up
    // time. On the fast line (CFastLine) the wait and the polls give way to a
    // read that ends when the reply is whole; an attempt whose reply was
    // missed or garbled there puts the operation at the designed pace and is
    // made again at that pace, without counting (unless sendsOnce).
    static bool Run(const Request& request);
    // Builds and writes without reading: the reply, if any, reaches the owner
    // of g_port byte by byte. Nothing is written while the program closes.
    static void Send(const std::function<void()>& build);
    // Sleeps ms milliseconds; on the user-interface thread the window keeps
    // repainting meanwhile and user input waits until the sleep is over.
    static void Sleep(int ms);

private:
    static int Attempt(const Request& request, bool fast);
    static bool ReplyIntact(int count);
};
