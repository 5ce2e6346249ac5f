// SPDX-License-Identifier: GPL-3.0-or-later
// The I/O status page's reply handler. The page keeps its 96 lamps, each lit,
// dark or grey, and shows only what the reply carries.

#include "pages/IoPage.h"
#include "ui/LampStatic.h"
#include "tests/fuzz/FuzzHarness.h"

#include <string>

namespace {

std::string Snapshot(const CIoPage& page)
{
    Require(page.findChildren<CLampStatic*>().size() == 96, "the page no longer has 96 lamps");
    std::string shown;
    const auto add = [&shown](const CLampStatic* lamp) {
        Require(lamp->GetColumn() >= 0 && lamp->GetColumn() <= 2, "a lamp in no known state");
        shown += static_cast<char>('0' + lamp->GetColumn());
    };
    for (int bit = 0; bit < CIoPage::kInputCount; ++bit)
        add(page.InputLamp(bit));
    for (int bit = 0; bit < CIoPage::kOutputCount; ++bit)
        add(page.OutputLamp(bit));
    return shown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartFuzzApplication();
    static CIoPage* page = new CIoPage;
    RequireReplyOnly(data, size, [] {
        page->OnReplyReady();
        return Snapshot(*page);
    });
    return 0;
}
