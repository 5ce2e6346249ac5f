// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One frame of the controller protocol: STX, two address digits, two command
// letters, payload, special code, two checksum digits, ETX. The buffer is
// always NUL-terminated; a frame never contains a NUL.

#include <atomic>

constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr int kFrameBufferSize = 1024;
// The two checksum digits and ETX after a frame's data.
constexpr int kFrameTail = 3;
// Every request of this tool is addressed to 255 ("FF").
constexpr int kControllerAddress = 255;

class CFrameBuffer
{
public:
    CFrameBuffer();
    virtual ~CFrameBuffer() = default;

    void BuildCommand(int address, char c1, char c2);
    void BuildByteArg(int address, char c1, char c2, int value8);
    void BuildCharArg(int address, char c1, char c2, char c3);
    void BuildCharByteArg(int address, char c1, char c2, char c3, int value8);
    void BuildByteTextArg(int address, char c1, char c2, int value8, const char* text4);
    void BuildByteWordArg(int address, char c1, char c2, int value8, int value16);
    void BuildTextArg(int address, char c1, char c2, const char* text);
    void BuildWordCharArg(int address, char c1, char c2, int value16, char c5);

    bool IsValidFrame() const;
    char Letter1() const { return m_buffer[3]; }
    char Letter2() const { return m_buffer[4]; }
    char* Data() { return m_buffer; }
    const char* Data() const { return m_buffer; }
    int Length() const;
    // True when the frame's data reaches over positions pos .. pos+count-1,
    // before the two checksum digits and ETX that end every frame. A shorter
    // frame would otherwise hand its checksum, or what an older frame left
    // behind it in the buffer, to its reader as data.
    bool Carries(int pos, int count) const;
    // The length of the frame the text begins with, up to its ETX: the first
    // ETX behind matching checksum digits, else the first ETX, else the whole
    // text. What the same read brought after the frame is not part of it.
    int FrameLength() const;
    void SetText(const char* text);

private:
    // Position of the first ETX behind matching checksum digits, or -1.
    int ValidFrameEtx() const;
    // Writes STX, address and letters; returns the position after them.
    int BeginFrame(int address, char c1, char c2);
    int PutText(int pos, const char* text, int count);
    int PutByte(int pos, int value8);
    int PutWord(int pos, int value16);
    // Appends the checksum over positions 1..pos-1, ETX and NUL.
    void EndFrame(int pos);
    // Puts the special code, then ends the frame.
    void EndWithSpecialCode(int pos);

    char m_buffer[kFrameBufferSize];
};

extern CFrameBuffer g_request;
extern CFrameBuffer g_reply;
// Set at start-up; atomic because a test peer's thread may build frames with
// it while the user-interface thread changes it.
extern std::atomic<char> g_specialCode;

// "%02X" of value modulo 256 in a three-character area of the calling thread,
// valid until its next call on that thread.
const char* HexByte(int value);
int ParseHex1(const char* p);
int ParseHex2(const char* p);
int ParseHex4(const char* p);
unsigned ParseHex8(const char* p);
