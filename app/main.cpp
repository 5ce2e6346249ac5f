#include "app/ServiceApp.h"
#include "res/Resources.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    InitVelorResources();
    CServiceApp app;
    return app.Run();
}
