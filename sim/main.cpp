// SPDX-License-Identifier: GPL-3.0-or-later
// velor-sim: the simulated controller (main board and door machine) on a
// pseudo-terminal, linked as the tool's port COMn.

#include "sim/SimController.h"
#include "sim/SimPortLink.h"
#include "sim/SimPty.h"
#include "sim/SimServer.h"

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <getopt.h>
#include <iostream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int g_stopFd = -1;

void OnStopSignal(int)
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(g_stopFd, &byte, 1);
}

void InstallSignalHandlers(int stopFd)
{
    g_stopFd = stopFd;
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    // Typed input that belongs to the terminal's foreground job makes the read
    // fail instead of stopping the simulator.
    std::signal(SIGTTIN, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

struct CommandLine
{
    CSimOptions options;
    int port = 1;
    bool trace = false;
    std::vector<std::string> startCommands;    // console commands run before serving
    std::vector<std::string> deferredCommands; // run once the tool talks
};

void PrintUsage(std::ostream& out)
{
    out << "usage: velor-sim [options]\n"
           "  --port N                link as COMN (default 1)\n"
           "  --baud B                main board baud rate (default 9600)\n"
           "  --door-baud B           door machine baud rate (default 38400)\n"
           "  --generation long|short controller generation (default long)\n"
           "  --floors N              floor count, 2 to 64 (default 16)\n"
           "  --trace                 show every frame received and sent\n"
           "  --silent                answer nothing\n"
           "  --latency MS            wait MS milliseconds before every reply\n"
           "  --turnaround MS         time from the end of a request to its reply (default 5)\n"
           "  --needs-gap MS          answer nothing to a request sooner than MS after the last reply\n"
           "  --badsum FRACTION       spoil the checksum of that share of replies\n"
           "  --wrongletters FRACTION change the second letter of that share of replies\n"
           "  --refuse                refuse every write and command\n"
           "  --garbage               send stray bytes before every reply\n"
           "  --fault CODE            report fault CODE two seconds after the first request\n"
           "  --overlong              send a frame without end two seconds after the first request\n"
           "  --seed N                seed of the misbehaviour's randomness\n"
           "While it runs, type help for the commands it understands.\n";
}

bool ParseNumber(const char* text, long lowest, long highest, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || parsed < lowest || parsed > highest)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseBaud(const char* text, int& baud)
{
    return ParseNumber(text, 1, 4000000, baud) && CSimPty::IsKnownBaud(baud);
}

std::string ClockNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char digits[16];
    std::strftime(digits, sizeof digits, "%y%m%d%H%M%S", &local);
    return digits;
}

bool Fail(const std::string& message)
{
    std::cerr << "velor-sim: " << message << "\n";
    return false;
}

bool ParseCommandLine(int argc, char** argv, CommandLine& line)
{
    enum
    {
        kPort = 1000, kBaud, kDoorBaud, kGeneration, kFloors, kTrace, kSilent, kLatency, kBadsum,
        kWrongLetters, kRefuse, kGarbage, kFault, kOverlong, kSeed, kTurnaround, kNeedsGap, kHelp
    };
    static const option kOptions[] = {
        {"port", required_argument, nullptr, kPort},
        {"baud", required_argument, nullptr, kBaud},
        {"door-baud", required_argument, nullptr, kDoorBaud},
        {"generation", required_argument, nullptr, kGeneration},
        {"floors", required_argument, nullptr, kFloors},
        {"trace", no_argument, nullptr, kTrace},
        {"silent", no_argument, nullptr, kSilent},
        {"latency", required_argument, nullptr, kLatency},
        {"badsum", required_argument, nullptr, kBadsum},
        {"wrongletters", required_argument, nullptr, kWrongLetters},
        {"refuse", no_argument, nullptr, kRefuse},
        {"garbage", no_argument, nullptr, kGarbage},
        {"fault", required_argument, nullptr, kFault},
        {"overlong", no_argument, nullptr, kOverlong},
        {"seed", required_argument, nullptr, kSeed},
        {"turnaround", required_argument, nullptr, kTurnaround},
        {"needs-gap", required_argument, nullptr, kNeedsGap},
        {"help", no_argument, nullptr, kHelp},
        {nullptr, 0, nullptr, 0},
    };
    line.options.seed = std::random_device{}();
    line.options.clockStart = ClockNow();
    int code = 0;
    int seed = 0;
    int opt;
    while ((opt = getopt_long(argc, argv, "", kOptions, nullptr)) != -1) {
        const std::string argument = optarg ? optarg : "";
        switch (opt) {
        case kPort:
            if (!ParseNumber(optarg, 1, 255, line.port))
                return Fail("--port wants a number from 1 to 255");
            break;
        case kBaud:
            if (!ParseBaud(optarg, line.options.mainBaud))
                return Fail("--baud wants a standard baud rate such as 9600");
            break;
        case kDoorBaud:
            if (!ParseBaud(optarg, line.options.doorBaud))
                return Fail("--door-baud wants a standard baud rate such as 38400");
            break;
        case kGeneration:
            if (argument != "long" && argument != "short")
                return Fail("--generation wants long or short");
            line.options.longRecord = argument == "long";
            break;
        case kFloors:
            if (!ParseNumber(optarg, 2, 64, line.options.floors))
                return Fail("--floors wants a number from 2 to 64");
            break;
        case kTrace:
            line.trace = true;
            break;
        case kSilent:
            line.startCommands.push_back("silent on");
            break;
        case kLatency:
            line.startCommands.push_back("latency " + argument);
            break;
        case kBadsum:
            line.startCommands.push_back("badsum " + argument);
            break;
        case kWrongLetters:
            line.startCommands.push_back("wrongletters " + argument);
            break;
        case kRefuse:
            line.startCommands.push_back("refuse on");
            break;
        case kGarbage:
            line.startCommands.push_back("garbage on");
            break;
        case kFault:
            if (!ParseNumber(optarg, 1, 99, code))
                return Fail("--fault wants a fault code from 1 to 99");
            line.deferredCommands.push_back("fault " + argument);
            break;
        case kOverlong:
            line.deferredCommands.push_back("overlong");
            break;
        case kSeed:
            if (!ParseNumber(optarg, 0, 2147483647, seed))
                return Fail("--seed wants a non-negative number");
            line.options.seed = static_cast<unsigned>(seed);
            break;
        case kTurnaround:
            if (!ParseNumber(optarg, 0, 60000, line.options.turnaroundMs))
                return Fail("--turnaround wants a number of milliseconds from 0 to 60000");
            break;
        case kNeedsGap:
            line.startCommands.push_back("needs-gap " + argument);
            break;
        case kHelp:
            PrintUsage(std::cout);
            std::exit(0);
        default:
            PrintUsage(std::cerr);
            return false;
        }
    }
    if (optind < argc)
        return Fail(std::string("unexpected argument ") + argv[optind]);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    CommandLine line;
    if (!ParseCommandLine(argc, argv, line))
        return 2;

    CSimController controller(line.options);
    CSimPty pty;
    if (!pty.IsOpen()) {
        Fail(pty.Error());
        return 1;
    }
    CSimServer server(controller, pty, std::cout);
    for (const std::string& command : line.startCommands)
        if (server.Execute(command) != "ok\n") {
            Fail("bad option value in: " + command);
            return 2;
        }
    for (const std::string& command : line.deferredCommands)
        server.RunAfterFirstRequest(command);
    server.SetTrace(line.trace);

    CSimPortLink link(line.port, pty.DevicePath());
    if (!link.IsMade()) {
        Fail(link.Error() + " (an entry velor-sim did not make is never replaced; remove it or choose another --port)");
        return 1;
    }
    server.SetPortLink(&link);
    InstallSignalHandlers(server.StopFd());
    server.ReadCommandsFrom(STDIN_FILENO);

    const CSimOptions& options = line.options;
    std::cout << "velor-sim: main board (" << (options.longRecord ? "long" : "short") << "-record generation, "
              << options.floors << " floors) at " << options.mainBaud << " baud, door machine at " << options.doorBaud
              << " baud\n"
              << "velor-sim: serving on " << pty.DevicePath() << ", linked as " << link.Path() << "\n"
              << "velor-sim: type help for commands, Ctrl+C to stop" << std::endl;
    server.Run();
    std::cout << "velor-sim: stopped" << std::endl;
    return 0;
}
