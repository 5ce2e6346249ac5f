// SPDX-License-Identifier: GPL-3.0-or-later
// velor_soak: runs the program's main window with its real pages against a
// controller on COM1 (normally velor-sim) for a long time and prints what a
// long run must not show: growing memory, a busy processor, lost polls, failed
// reads. tools/longrun starts it.
//
//   velor_soak status SECONDS SAMPLE_SECONDS   the status page polling
//   velor_soak io SECONDS SAMPLE_SECONDS       the I/O page polling
//   velor_soak faultlog READS                  full fault log reads in a row
//
// Each sample line: elapsed seconds, resident memory (kB), processor time used
// in the sample (ms), frames received in the sample, message boxes so far.

#include "ui/ListView.h"
#include "app/MainDlg.h"
#include "ui/MessageBox.h"
#include "ui/Page.h"
#include "app/PageTab.h"
#include "app/ServiceApp.h"
#include "ui/TemplateLoader.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "res/Resources.h"
#include "settings/PortSettings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTime>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <sys/resource.h>

namespace {

int g_boxes = 0;

long ResidentKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
         + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

void Run(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Owns the port in the main dialog's place: counts the frames that arrive and
// hands every byte on to the main dialog.
class CFrameCounter : public QObject
{
    Q_OBJECT
public:
    explicit CFrameCounter(CMainDlg* dialog) : m_dialog(dialog) {}
    Q_INVOKABLE void OnCommRxChar(int byte, int portNumber)
    {
        m_frames += byte == ETX;
        m_dialog->OnCommRxChar(byte, portNumber);
    }
    Q_INVOKABLE void OnCommLineChanged(bool up, int portNumber)
    {
        fprintf(stderr, "line %s\n", up ? "back" : "lost");
        m_dialog->OnCommLineChanged(up, portNumber);
    }
    long m_frames = 0;

private:
    CMainDlg* m_dialog;
};

int SoakPolling(CMainDlg& dialog, int page, int seconds, int sampleSeconds)
{
    dialog.PageTab()->SelectTab(page);
    // The counter takes the main dialog's place as the port's owner.
    PortSettings settings;
    ReadPortSettings(settings);
    CFrameCounter counter(&dialog);
    if (g_port.Open(&counter, settings.port, settings.baud, settings.parity, settings.dataBits, settings.stopBits,
                    0x49) != 1) {
        fprintf(stderr, "velor_soak: the port cannot be opened again\n");
        return 1;
    }
    // Replies the simulator sends from now on must all arrive.
    printf("counting_from %s\n", qPrintable(QTime::currentTime().toString("HH:mm:ss.zzz")));
    dialog.PageTab()->Page(page)->GiveFocus();
    printf("seconds rss_kb cpu_ms frames boxes\n");
    QElapsedTimer clock;
    clock.start();
    for (int elapsed = sampleSeconds; elapsed <= seconds; elapsed += sampleSeconds) {
        const double cpu = CpuMs();
        const long frames = counter.m_frames;
        Run(static_cast<int>(elapsed * 1000 - clock.elapsed()));
        printf("%d %ld %.0f %ld %d\n", elapsed, ResidentKb(), CpuMs() - cpu, counter.m_frames - frames, g_boxes);
        fflush(stdout);
    }
    printf("total_frames %ld\n", counter.m_frames);
    return 0;
}

int SoakFaultLog(CMainDlg& dialog, int reads)
{
    constexpr int kFaultPage = 4;
    dialog.PageTab()->SelectTab(kFaultPage);
    CPage* page = dialog.PageTab()->Page(kFaultPage);
    const int rows = RowCount(Control<QTreeWidget>(page, 1032));
    printf("read rss_kb ms rows boxes\n");
    int failed = 0;
    for (int read = 1; read <= reads; ++read) {
        QElapsedTimer clock;
        clock.start();
        page->GiveFocus();
        const int now = RowCount(Control<QTreeWidget>(page, 1032));
        failed += now != rows;
        printf("%d %ld %lld %d %d\n", read, ResidentKb(), clock.elapsed(), now, g_boxes);
        fflush(stdout);
    }
    printf("failed_reads %d\n", failed + g_boxes);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: velor_soak status|io SECONDS SAMPLE_SECONDS | velor_soak faultlog READS\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    InitVelorResources();
    CServiceApp::InstallLinkHooks();
    SetMessageBoxHandler([](const MessageBoxCall& call) {
        ++g_boxes;
        fprintf(stderr, "box: %s\n", qPrintable(call.text));
        return IDOK;
    });
    CMainDlg dialog;
    dialog.OnInitDialog();
    if (dialog.PageTab()->TabCount() == 0) {
        fprintf(stderr, "velor_soak: no pages (settings or port missing)\n");
        return 1;
    }
    const QByteArray mode = argv[1];
    if (mode == "faultlog")
        return SoakFaultLog(dialog, atoi(argv[2]));
    if (argc < 4 || (mode != "status" && mode != "io"))
        return 2;
    return SoakPolling(dialog, mode == "status" ? 0 : 3, atoi(argv[2]), atoi(argv[3]));
}

#include "Soak.moc"
