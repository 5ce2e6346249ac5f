// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/PollingPage.h"

#include <array>

class CLampStatic;

// The I/O status page (tab 3): polls the inputs and outputs (A4) and shows
// every bit as a lamp: main board inputs X0-X31, car board inputs TX0-TX31 and
// main board outputs Y0-Y31. Lit red is a set bit, dark red a clear one, grey
// a bit no reply has reported yet.
class CIoPage : public CPollingPage
{
    Q_OBJECT
public:
    static constexpr int kPageIndex = 3;
    static constexpr int kInputCount = 64;
    static constexpr int kOutputCount = 32;
    static constexpr int kFirstInputId = 1050;
    static constexpr int kFirstOutputId = 1125;

    explicit CIoPage(QWidget* parent = nullptr);

    void OnReplyReady() override;
    // While the line is down every lamp is grey, as before the first reply.
    void OnLineChanged(bool up) override;

    CLampStatic* InputLamp(int bit) const { return m_inputLamps[bit]; }
    CLampStatic* OutputLamp(int bit) const { return m_outputLamps[bit]; }

protected:
    void OnPoll() override;

private:
    // Grey: no reply has reported the bit (yet, or since the line went down).
    void GreyAllLamps();

    std::array<CLampStatic*, kInputCount> m_inputLamps{};
    std::array<CLampStatic*, kOutputCount> m_outputLamps{};
};
