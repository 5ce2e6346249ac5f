// SPDX-License-Identifier: GPL-3.0-or-later
// The general page's reply handler (AB program name, A2 elevator ID, A7
// telephone number, AA run count, A9 clock, any other reply). A reply changes
// only its own item's field, and only when it carries the item in full; each
// field keeps the form and length the page shows.

#include "ui/DataExchange.h"
#include "ui/TemplateLoader.h"
#include "link/FrameBuffer.h"
#include "pages/GeneralPage.h"
#include "tests/fuzz/FuzzHarness.h"

#include <QRegularExpression>

#include <array>
#include <string>

namespace {

// A field of the page: its control, the reply letter that fills it, the data
// characters it needs in full and the form of what it shows.
struct Field
{
    int controlId;
    char letter2;
    int neededData;
    const char* form;
};

const Field kFields[] = {
    {1009, 'B', 1, "^.{0,16}$"},                          // program name
    {1001, '2', 1, "^[^\\r]{0,9}$"},                      // elevator ID
    {1003, '7', 1, "^.{0,13}$"},                          // telephone number
    {1007, 'A', 4, "^(|0|[1-9][0-9]{0,4})$"},             // run count
    {1053, '9', 12, "^(|.{2}-.{2}-.{2} .{2}:.{2}:.{2})$"}, // clock
};

constexpr int kDataPos = 5;

using Shown = std::array<QString, std::size(kFields)>;

Shown ShownFields(const CGeneralPage& page)
{
    Shown shown;
    for (size_t i = 0; i < std::size(kFields); ++i)
        shown[i] = ControlText(Control<QWidget>(&page, kFields[i].controlId));
    return shown;
}

std::string Check(const Shown& before, const Shown& after)
{
    std::string snapshot;
    for (size_t i = 0; i < std::size(kFields); ++i) {
        const Field& field = kFields[i];
        const QString& text = after[i];
        const bool itsReply = g_reply.Letter1() == 'A' && g_reply.Letter2() == field.letter2;
        Require(text == before[i] || itsReply, "a reply changed another item's field: " + text.toStdString());
        Require(text == before[i] || g_reply.Carries(kDataPos, field.neededData),
                "a field shows an item the reply does not carry in full: " + text.toStdString());
        const QRegularExpression form(field.form, QRegularExpression::DotMatchesEverythingOption);
        Require(form.match(text).hasMatch(), "field " + std::to_string(field.controlId) + " of the wrong form: " + text.toStdString());
        if (field.letter2 == 'A')
            Require(text.isEmpty() || text.toInt() <= 0xFFFF, "a run count beyond 16 bits: " + text.toStdString());
        snapshot += text.toStdString() + "|";
    }
    return snapshot;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartFuzzApplication();
    static CGeneralPage* page = new CGeneralPage;
    const Shown before = ShownFields(*page);
    RequireReplyOnly(data, size, [&] {
        page->OnReplyReady();
        return Check(before, ShownFields(*page));
    });
    return 0;
}
