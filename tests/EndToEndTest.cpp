// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"
#include "tests/TempConfigHome.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/prctl.h>
#include <unistd.h>

// velor-sim and velor as programs of their own, velor on a virtual display,
// watched only from outside: velor-sim's trace of the frames on the line,
// velor's standard error (every message box it shows is written there too) and
// velor's processor time in /proc.

namespace {

constexpr int kWaitMs = 10000; // generous: the machine may be busy

// A child program whose output is collected; stopped (and killed if it has
// to be) when the test ends, however it ends.
class CChildProgram
{
public:
    // quietErrors: the program's standard error is not wanted (and not left
    // to fill its pipe).
    explicit CChildProgram(bool quietErrors = false)
    {
        if (quietErrors)
            m_process.setStandardErrorFile(QProcess::nullDevice());
        else
            m_process.setProcessChannelMode(QProcess::MergedChannels);
        // Ends with the test program even when that is killed or crashes.
        m_process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    ~CChildProgram() { Stop(); }

    bool Start(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.start(program, arguments);
        return m_process.waitForStarted(kWaitMs);
    }
    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(3000)) {
            m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    bool IsRunning() const { return m_process.state() == QProcess::Running; }
    qint64 Pid() const { return m_process.processId(); }
    void Type(const QString& line)
    {
        m_process.write((line + "\n").toUtf8());
        m_process.waitForBytesWritten(kWaitMs);
    }

    // Everything the program wrote so far.
    const QString& Output()
    {
        m_output += QString::fromUtf8(m_process.readAllStandardOutput());
        return m_output;
    }
    // Waits until done(Output()) holds; false when it did not within timeoutMs.
    bool WaitFor(const std::function<bool(const QString&)>& done, int timeoutMs = kWaitMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done(Output())) {
            if (clock.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return done(Output());
            m_process.waitForReadyRead(50);
        }
        return true;
    }
    bool WaitForText(const QString& text, int from = 0, int timeoutMs = kWaitMs)
    {
        return WaitFor([&](const QString& output) { return output.indexOf(text, from) >= 0; }, timeoutMs);
    }

    // Processor time (user and system) used so far, in seconds.
    double CpuSeconds() const
    {
        QFile stat(QString("/proc/%1/stat").arg(Pid()));
        if (!stat.open(QIODevice::ReadOnly))
            return -1;
        // The fields after the command's name, which is in parentheses and
        // may hold spaces: state is the first, utime the 12th, stime the 13th.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13)
            return -1;
        return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
    }

private:
    QProcess m_process;
    QString m_output;
};

// A virtual display of its own (Xvfb picks a free number and tells it);
// without Xvfb the programs run on the offscreen platform instead.
class CVirtualDisplay
{
public:
    CVirtualDisplay()
        : m_server(true)
    {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty()) {
            std::fprintf(stderr, "Xvfb not found: the programs run on the offscreen platform\n");
            return;
        }
        const QStringList arguments = {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
        if (m_server.Start(xvfb, arguments, QProcessEnvironment::systemEnvironment())
            && m_server.WaitForText("\n"))
            m_display = ":" + m_server.Output().trimmed();
        else
            std::fprintf(stderr, "Xvfb did not start: the programs run on the offscreen platform\n");
    }

    // DISPLAY and the platform for a program shown on this display.
    void ShowOn(QProcessEnvironment& environment) const
    {
        if (m_display.isEmpty()) {
            environment.insert("QT_QPA_PLATFORM", "offscreen");
            return;
        }
        environment.insert("QT_QPA_PLATFORM", "xcb");
        environment.insert("DISPLAY", m_display);
    }

private:
    CChildProgram m_server;
    QString m_display;
};

int CountFrom(const QString& text, const QString& what, int from)
{
    return text.mid(from).count(what);
}

const QString kReceived = " <- ";
const QString kSent = " -> ";

// velor-sim on COM1 with its trace on and velor on the status page, sharing
// a settings folder of their own.
class EndToEndTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CSettingsStore store(HKEY_CURRENT_USER);
        store.CreateKey("Software\\VELORCOM");
        for (const auto& [name, text] : {std::pair{"comwhole", "1N81"}, {"combaud", "9600"},
                                         {"comdoorbaud", "38400"}, {"specialcode", "E"}})
            store.WriteString(name, text);
        ASSERT_TRUE(m_sim.Start(VELOR_SIM_PROGRAM, {"--port", "1", "--trace"}, Environment()));
        ASSERT_TRUE(m_sim.WaitForText("linked as")) << m_sim.Output().toStdString();
        ASSERT_TRUE(StartVelor(m_velor));
        ASSERT_TRUE(PollsAfter(Mark())) << "the status page does not poll\n" << Trace();
    }
    void TearDown() override
    {
        m_velor.Stop();
        m_sim.Stop();
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", m_home.Path());
        m_display.ShowOn(environment);
        return environment;
    }
    bool StartVelor(CChildProgram& velor) { return velor.Start(VELOR_PROGRAM, {}, Environment()); }

    // Where the trace is now; later frames are counted from here.
    int Mark() { return m_sim.Output().size(); }
    // Waits until velor has sent some frames after the mark and velor-sim
    // answered them.
    bool PollsAfter(int mark, int frames = 3, int timeoutMs = kWaitMs)
    {
        return m_sim.WaitFor(
            [&](const QString& trace) {
                return CountFrom(trace, kReceived, mark) >= frames && CountFrom(trace, kSent, mark) >= frames;
            },
            timeoutMs);
    }
    std::string Trace() { return m_sim.Output().right(3000).toStdString(); }
    std::string VelorSaid() { return m_velor.Output().toStdString(); }
    void Command(const QString& line)
    {
        const int mark = Mark();
        m_sim.Type(line);
        ASSERT_TRUE(m_sim.WaitForText("ok\n", mark)) << line.toStdString() << "\n" << Trace();
    }
    static void Sleep(int ms) { usleep(useconds_t(ms) * 1000); }

    CTempConfigHome m_home;
    CVirtualDisplay m_display;
    CChildProgram m_sim;
    CChildProgram m_velor;
};

} // namespace

// The line pulled out while the status page polls: velor stays, waits for
// the device without using the processor, and polls again by itself as soon
// as a new device is plugged in under the same name.
TEST_F(EndToEndTest, UnpluggedLineIsWaitedForQuietlyAndPollingResumesAfterReplug)
{
    Command("unplug");
    ASSERT_TRUE(m_sim.WaitForText("line unplugged"));
    ASSERT_TRUE(m_velor.WaitForText("velor: ")) << "no failure shown\n" << VelorSaid();

    const int mark = Mark();
    const double cpuBefore = m_velor.CpuSeconds();
    QElapsedTimer gone;
    gone.start();
    Sleep(3000);
    const double cpuShare = (m_velor.CpuSeconds() - cpuBefore) / (gone.elapsed() / 1000.0);
    std::printf("velor's processor use while the device was gone: %.1f%%\n", cpuShare * 100);
    EXPECT_LT(cpuShare, 0.2) << "busy while the device is gone";
    EXPECT_TRUE(m_velor.IsRunning());
    EXPECT_EQ(CountFrom(m_sim.Output(), kReceived, mark), 0);

    Command("replug");
    ASSERT_TRUE(m_sim.WaitForText("plugged in again"));
    EXPECT_TRUE(PollsAfter(Mark())) << "polling did not resume\n" << Trace() << VelorSaid();
    EXPECT_TRUE(m_velor.IsRunning());
    EXPECT_EQ(m_velor.Output().count("velor: "), 1) << "the failure is shown once\n" << VelorSaid();
}

// A second velor on the port the first one uses is told the port is taken;
// the first goes on polling.
TEST_F(EndToEndTest, SecondVelorOnTheSamePortIsToldItIsBusy)
{
    CChildProgram second;
    ASSERT_TRUE(StartVelor(second));
    EXPECT_TRUE(second.WaitForText("被其他程序占用")) << second.Output().toStdString();
    EXPECT_TRUE(second.Output().contains("串口初始化失败，请重新设置")) << second.Output().toStdString();
    EXPECT_TRUE(PollsAfter(Mark())) << "the first velor stopped polling\n" << Trace();
    EXPECT_TRUE(m_velor.IsRunning());
}

// Each misbehaviour switched on while velor polls and off again: velor keeps
// running and polls again once the controller behaves.
TEST_F(EndToEndTest, MisbehavioursOnAndOffWhileVelorPolls)
{
    const std::pair<QString, QString> misbehaviours[] = {
        {"silent on", "silent off"},    {"latency 1500", "latency 0"},  {"badsum 1", "badsum 0"},
        {"wrongletters 1", "wrongletters 0"}, {"garbage on", "garbage off"}, {"refuse on", "refuse off"},
    };
    for (const auto& [on, off] : misbehaviours) {
        SCOPED_TRACE(on.toStdString());
        Command(on);
        // velor meets the misbehaviour on a few exchanges.
        const int during = Mark();
        EXPECT_TRUE(m_sim.WaitFor([&](const QString& trace) { return CountFrom(trace, kReceived, during) >= 5; }))
            << Trace();
        Command(off);
        EXPECT_TRUE(PollsAfter(Mark())) << "polling did not resume\n" << Trace() << VelorSaid();
        ASSERT_TRUE(m_velor.IsRunning()) << VelorSaid();
    }

    // A burst of fault reports: the first is shown; the rest wait until the
    // technician has closed its box. The line goes on being polled meanwhile.
    for (const QString& code : {"23", "31", "05"})
        Command("fault " + code);
    EXPECT_TRUE(m_velor.WaitForText("故障码: 23")) << VelorSaid();
    EXPECT_TRUE(PollsAfter(Mark())) << Trace();
    EXPECT_FALSE(m_velor.Output().contains("故障码: 31")) << "shown before the first box was closed\n" << VelorSaid();
    EXPECT_TRUE(m_velor.IsRunning()) << VelorSaid();
}
