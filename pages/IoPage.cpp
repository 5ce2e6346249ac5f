// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/IoPage.h"

#include "ui/TemplateLoader.h"
#include "link/Exchange.h"
#include "link/FrameBuffer.h"
#include "ui/LampStatic.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace {

constexpr char EOT = 0x04;            // separates the input field from the output field
constexpr int kWorkBufferSize = 80;   // the data of one reply as the page reads it
constexpr size_t kChecksumDigits = 2;

// Lamp states (sheet row y, column): red lit for a set bit, red dark for a clear one.
constexpr int kRedRow = 0;
constexpr int kLit = 0;
constexpr int kDark = 1;
constexpr int kGrey = 2;

template<size_t N>
void BindLamps(const QWidget* page, std::array<CLampStatic*, N>& lamps, int firstId)
{
    for (size_t i = 0; i < N; ++i)
        lamps[i] = Control<CLampStatic>(page, firstId + static_cast<int>(i));
}

// Shows the bits of the field's hex digit pairs on the lamps, bit b of byte j
// on lamp 8j + b. Only whole pairs count, and pairs beyond the lamps are
// ignored. A lamp is drawn only when its state changes.
template<size_t N>
void ShowField(std::string_view field, std::array<CLampStatic*, N>& lamps)
{
    const size_t bytes = std::min(field.size() / 2, N / 8);
    for (size_t j = 0; j < bytes; ++j) {
        const int value = ParseHex2(field.data() + 2 * j);
        for (int b = 0; b < 8; ++b) {
            CLampStatic* lamp = lamps[8 * j + b];
            const int column = (value >> b) & 1 ? kLit : kDark;
            if (lamp->GetColumn() != column)
                lamp->SetLamp(kRedRow, column, 0);
        }
    }
}

// The digits of a field that runs up to the reply's end: the checksum digits
// (and ETX) cut off; nothing when the field cannot even hold the checksum.
std::optional<std::string_view> BeforeChecksum(std::string_view field)
{
    field = field.substr(0, field.find(ETX));
    if (field.size() < kChecksumDigits)
        return std::nullopt;
    field.remove_suffix(kChecksumDigits);
    return field;
}

} // namespace

CIoPage::CIoPage(QWidget* parent)
    : CPollingPage(134, parent)
{
    BindLamps(this, m_inputLamps, kFirstInputId);
    BindLamps(this, m_outputLamps, kFirstOutputId);
    GreyAllLamps();
    std::vector<QWidget*> lamps(m_inputLamps.begin(), m_inputLamps.end());
    lamps.insert(lamps.end(), m_outputLamps.begin(), m_outputLamps.end());
    SetLiveControls(std::move(lamps));
}

void CIoPage::GreyAllLamps()
{
    for (CLampStatic* lamp : m_inputLamps)
        lamp->SetLamp(kRedRow, kGrey, 0);
    for (CLampStatic* lamp : m_outputLamps)
        lamp->SetLamp(kRedRow, kGrey, 0);
}

void CIoPage::OnLineChanged(bool up)
{
    if (!up)
        GreyAllLamps();
}

void CIoPage::OnPoll()
{
    CExchange::Send([] { g_request.BuildCommand(kControllerAddress, 'A', '4'); });
}

// A4: the input field, EOT, the output field, checksum, ETX. A reply without
// the EOT, or whose second field cannot even hold the checksum, leaves the
// outputs alone; its first field is still shown.
void CIoPage::OnReplyReady()
{
    if (g_reply.Letter1() != 'A' || g_reply.Letter2() != '4')
        return;
    char work[kWorkBufferSize] = {};
    strncpy(work, g_reply.Data() + 5, kWorkBufferSize - 1);
    const std::string_view data(work);

    const size_t separator = data.find(EOT);
    if (separator == std::string_view::npos) {
        if (const auto inputs = BeforeChecksum(data))
            ShowField(*inputs, m_inputLamps);
        return;
    }
    ShowField(data.substr(0, separator), m_inputLamps);
    if (const auto outputs = BeforeChecksum(data.substr(separator + 1)))
        ShowField(*outputs, m_outputLamps);
}
