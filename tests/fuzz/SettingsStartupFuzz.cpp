// SPDX-License-Identifier: GPL-3.0-or-later
// The settings values as start-up and the port switch read them: whatever is
// stored, the line settings come out as a port the settings dialog offers and
// a positive baud rate for both boards, and values that can be read are never
// reported as unreadable.

#include "settings/PortSettings.h"
#include "tests/fuzz/FuzzHarness.h"
#include "tests/fuzz/FuzzSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    StoreFuzzSettings(input);
    PortSettings settings;
    QString problem;
    Require(ReadPortSettings(settings, &problem), "readable settings reported as unreadable: " + problem.toStdString());
    Require(settings.port >= 1 && settings.port <= 9, "port " + std::to_string(settings.port));
    Require(settings.baud > 0 && settings.doorBaud > 0, "a baud rate that is not positive");
    return 0;
}
