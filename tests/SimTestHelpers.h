// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/FrameBuffer.h"
#include "sim/SimController.h"

#include <gtest/gtest.h>

#include <string>

// Talks to a simulated controller the way the tool does: requests built with
// the tool's own frame builders (special code "E"), replies read back into a
// frame buffer and decoded with the tool's hex functions at reply positions.
class SimTest : public ::testing::Test
{
protected:
    static constexpr int kMainBaud = 9600;
    static constexpr int kDoorBaud = 38400;

    void SetUp() override
    {
        m_savedSpecialCode = g_specialCode;
        g_specialCode = 'E';
    }
    void TearDown() override { g_specialCode = m_savedSpecialCode; }

    // Sends the request and returns the reply text (empty for none).
    std::string Send(const CFrameBuffer& request, int baud = kMainBaud)
    {
        return m_sim.HandleRequest(request.Data(), baud);
    }
    std::string Command(char c1, char c2, int baud = kMainBaud)
    {
        CFrameBuffer request;
        request.BuildCommand(255, c1, c2);
        return Send(request, baud);
    }
    std::string ByteArg(char c1, char c2, int value, int baud = kMainBaud)
    {
        CFrameBuffer request;
        request.BuildByteArg(255, c1, c2, value);
        return Send(request, baud);
    }
    std::string CharArg(char c1, char c2, char c3, int baud = kMainBaud)
    {
        CFrameBuffer request;
        request.BuildCharArg(255, c1, c2, c3);
        return Send(request, baud);
    }
    std::string TextArg(char c1, char c2, const std::string& text)
    {
        CFrameBuffer request;
        request.BuildTextArg(255, c1, c2, text.c_str());
        return Send(request);
    }
    std::string WriteParameter(int n, int value, int baud = kMainBaud)
    {
        CFrameBuffer request;
        request.BuildByteWordArg(255, 'F', '5', n, value);
        return Send(request, baud);
    }
    std::string RegisterCall(char type, int floor)
    {
        CFrameBuffer request;
        request.BuildCharByteArg(255, 'F', '3', type, floor);
        return Send(request);
    }
    // The 16-bit value of a parameter read, positions 7 to 10.
    int ReadParameter(int n, int baud = kMainBaud) { return ParseHex4(ByteArg('A', '5', n, baud).c_str() + 7); }

    static bool IsValid(const std::string& reply)
    {
        CFrameBuffer buffer;
        buffer.SetText(reply.c_str());
        return buffer.IsValidFrame();
    }
    // Valid frame with the letters and an 'F' at the acknowledgement position.
    static bool IsAcknowledged(const std::string& reply, const char* letters, int position = 5)
    {
        return IsValid(reply) && reply.compare(3, 2, letters) == 0 && static_cast<int>(reply.size()) > position
            && reply[position] == 'F';
    }
    static int Hex2(const std::string& reply, int position) { return ParseHex2(reply.c_str() + position); }
    static int Hex4(const std::string& reply, int position) { return ParseHex4(reply.c_str() + position); }

    CSimController m_sim;

private:
    char m_savedSpecialCode = 0;
};
