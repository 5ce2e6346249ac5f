#include "app/ServiceApp.h"
#include "link/TimeScale.h"
#include "res/Resources.h"

#include <QApplication>
#include <gtest/gtest.h>

constexpr double kTestTimeScale = 0.25;

// Widget tests need one application object; they run on the offscreen platform
// so that no display is required.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    InitVelorResources();
    CServiceApp::InstallLinkHooks();
    // The designed waits run at a quarter of their length; a test that needs
    // the real timing holds a CTimeScaleScope(1.0).
    CTimeScale::SetFactor(kTestTimeScale);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
