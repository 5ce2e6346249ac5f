// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServiceApp.h"
#include "link/TimeScale.h"
#include "res/Resources.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The test peer answers at once, so the designed waits only have to elapse:
// a twentieth of them is enough, and a test never waits for a wait to pass
// but for what it brings about. The times a reply is given run at a tenth (a
// read gives up after 160 ms, a live page polls every 10 ms): half of that is
// now and then exceeded by a pseudo-terminal's or the scheduler's stall.
constexpr double kTestTimeScale = 0.05;
constexpr double kTestReplyScale = 0.1;

// Widget tests need one application object; they run on the offscreen platform
// so that no display is required.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // The pages keep what they do in the program's service record: in tests
    // that is a record of its own, never the user's.
    const QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    QApplication app(argc, argv);
    InitVelorResources();
    CServiceApp::InstallLinkHooks();
    // A test that needs the real timing holds a CTimeScaleScope(1.0).
    CTimeScale::SetFactor(kTestTimeScale, kTestReplyScale);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
