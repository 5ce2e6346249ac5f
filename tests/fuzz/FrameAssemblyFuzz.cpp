// Frame assembly from the bytes the port forwards one by one: every frame from
// STX to ETX reaches the shown page whole, or is a fault report; a frame that
// was cut by a new STX, grew past the buffer, holds a NUL or ends before its
// two letters never reaches it, and nothing outside STX and ETX does.
//
// Input: the byte stream as the monitor thread forwards it.

#include "app/MainDlg.h"
#include "app/Page.h"
#include "app/PageTab.h"
#include "link/FrameBuffer.h"
#include "tests/fuzz/FuzzHarness.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_delivered;

class CRecordingPage : public CPage
{
public:
    explicit CRecordingPage(QWidget* parent) : CPage(0, parent) {}
    void OnReplyReady() override { g_delivered.emplace_back(g_reply.Data()); }
};

// The assembler under test: the main dialog with recording pages.
CMainDlg* MakeAssembler()
{
    CPageTab::SetPageFactory([](int, QWidget* parent) { return new CRecordingPage(parent); });
    auto* dialog = new CMainDlg;
    dialog->PageTab()->Init();
    return dialog;
}

void Feed(CMainDlg& assembler, uint8_t byte)
{
    assembler.OnCommRxChar(byte, 1);
}

// The frames of the stream read the plain way: what pages get, and how many
// fault reports there are.
struct Frames
{
    std::vector<std::string> forPages;
    int faultReports = 0;
};

Frames PlainFrames(const uint8_t* data, size_t size)
{
    // The longest frame the assembler keeps, STX and ETX included.
    constexpr size_t kLongestFrame = kFrameBufferSize - 2;
    Frames frames;
    std::string frame;
    bool open = false;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == STX) {
            frame = STX;
            open = true;
            continue;
        }
        if (!open)
            continue;
        if (frame.size() >= kLongestFrame) {
            open = false;
            continue;
        }
        frame += c;
        if (c != ETX)
            continue;
        open = false;
        if (frame.find('\0') != std::string::npos || frame.size() < 6)
            continue;
        if (frame.size() > 3 && frame[3] == 'E')
            ++frames.faultReports;
        else
            frames.forPages.push_back(frame);
    }
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartFuzzApplication();
    static CMainDlg* assembler = MakeAssembler();
    // A fresh stream: whatever the last input left open is dropped.
    Feed(*assembler, STX);
    Feed(*assembler, 0);
    g_delivered.clear();
    const int boxesBefore = FuzzMessageBoxCount();

    for (size_t i = 0; i < size; ++i)
        Feed(*assembler, data[i]);

    const Frames expected = PlainFrames(data, size);
    Require(g_delivered == expected.forPages, "pages got other frames than the stream carried");
    Require(FuzzMessageBoxCount() - boxesBefore == expected.faultReports, "fault reports miscounted");
    return 0;
}
