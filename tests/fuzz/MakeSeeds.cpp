// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpora of the fuzz targets from the simulated controller's
// real replies: make_fuzz_seeds <corpus folder>. Each target gets a few
// typical inputs in its own folder; the fuzzer grows them from there.

#include "link/FrameBuffer.h"
#include "sim/SimController.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::filesystem::path g_root;

void WriteSeed(const std::string& target, const std::string& name, const std::string& bytes)
{
    const std::filesystem::path folder = g_root / target;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

// The controller's reply to a request built by `build` into g_request.
std::string Reply(CSimController& controller, const std::function<void()>& build)
{
    build();
    return controller.HandleRequest(g_request.Data(), 9600);
}

std::string Command(CSimController& controller, char c1, char c2)
{
    return Reply(controller, [=] { g_request.BuildCommand(kControllerAddress, c1, c2); });
}

void StatusSeeds()
{
    CSimController controller;
    CSimMainBoard& board = controller.MainBoard();
    board.Car().RegisterCall(CSimCar::CarCall, 5);
    board.Car().RegisterCall(CSimCar::UpCall, 2);
    board.Car().RegisterCall(CSimCar::DownCall, 16);
    controller.Tick(3000); // the car runs
    const char sixteenFloors = 2;   // installations of StatusPageFuzz
    const char fortyEightFloors = 3;
    WriteSeed("StatusPageFuzz", "A0-running", sixteenFloors + Command(controller, 'A', '0'));
    WriteSeed("StatusPageFuzz", "A3-calls", sixteenFloors + Command(controller, 'A', '3'));
    WriteSeed("StatusPageFuzz", "A3-calls-48", fortyEightFloors + Command(controller, 'A', '3'));
    WriteSeed("StatusPageFuzz", "A8-speed", sixteenFloors + Command(controller, 'A', '8'));
    board.SetMode(CSimMainBoard::Mode::Fire);
    board.SetLoad(CSimMainBoard::Load::Over);
    WriteSeed("StatusPageFuzz", "A0-fire-overload", sixteenFloors + Command(controller, 'A', '0'));
}

void IoSeeds()
{
    CSimController controller;
    WriteSeed("IoPageFuzz", "A4-idle", Command(controller, 'A', '4'));
    controller.MainBoard().Car().RegisterCall(CSimCar::CarCall, 9);
    controller.Tick(2500);
    WriteSeed("IoPageFuzz", "A4-running", Command(controller, 'A', '4'));
}

void FaultRecordSeeds()
{
    for (const bool longRecord : {true, false}) {
        CSimOptions options;
        options.longRecord = longRecord;
        CSimController controller(options);
        const char generation = longRecord ? 1 : 0;
        for (int record = 0; record < 5; ++record) {
            const std::string reply = Reply(controller, [=] {
                if (longRecord)
                    g_request.BuildByteArg(kControllerAddress, 'A', '1', record);
                else
                    g_request.BuildCharArg(kControllerAddress, 'A', '1', "0123456789ABCDEF"[record]);
            });
            const std::string name = std::string(longRecord ? "long-" : "short-") + std::to_string(record);
            WriteSeed("FaultRecordFuzz", name, generation + reply);
            WriteSeed("FrameValidationFuzz", "A1-" + name, reply);
        }
    }
}

void FrameSeeds()
{
    CSimController controller;
    const std::string state = Command(controller, 'A', '0');
    const std::string io = Command(controller, 'A', '4');
    WriteSeed("FrameValidationFuzz", "A0", state);
    WriteSeed("FrameValidationFuzz", "A4", io);
    WriteSeed("FrameAssemblyFuzz", "replies", state + io + Command(controller, 'A', '3'));
    WriteSeed("FrameAssemblyFuzz", "garbage-and-fault-report", "\x7f\x13" + state + "\xff\x02" + controller.FaultReport(23) + io);
    WriteSeed("FrameAssemblyFuzz", "overlong-then-reply", CSimController::OverlongFrame().substr(0, 1100) + state);
    WriteSeed("HexCodecFuzz", "long", "0C000000");
    WriteSeed("HexCodecFuzz", "word", "3412");
    WriteSeed("HexCodecFuzz", "lower", "ff");
    WriteSeed("FrameCodecFuzz", "command", std::string("\x00\xff\x00\x00\x00\xff" "A4E", 9));
    WriteSeed("FrameCodecFuzz", "text", std::string("\x06\xff\x00\x00\x00\xff" "F2" "13800138000", 19));
}

// Replies of the controller in the order a page asks for them, as the targets
// that talk over the line take them: separated by NUL bytes.
std::string Replies(const std::vector<std::string>& replies)
{
    std::string joined;
    for (const std::string& reply : replies)
        joined += (joined.empty() ? "" : std::string(1, '\0')) + reply;
    return joined;
}

std::string ByteRequest(CSimController& controller, char c1, char c2, int value)
{
    return Reply(controller, [=] { g_request.BuildByteArg(kControllerAddress, c1, c2, value); });
}

void GeneralSeeds()
{
    CSimController controller;
    for (const char letter2 : {'B', '2', '7', 'A', '9'})
        WriteSeed("GeneralPageFuzz", std::string("A") + letter2, Command(controller, 'A', letter2));
}

void ShaftSeeds()
{
    for (const int floors : {3, 16}) {
        CSimOptions options;
        options.floors = floors;
        CSimController controller(options);
        std::vector<std::string> replies = {ByteRequest(controller, 'A', '5', 0x0B)};
        for (int item = 1; item <= floors; ++item)
            replies.push_back(ByteRequest(controller, 'A', '6', item));
        for (int item = 0x30; item <= 0x34; ++item)
            replies.push_back(ByteRequest(controller, 'A', '6', item));
        WriteSeed("ShaftPageFuzz", "floors-" + std::to_string(floors), Replies(replies));
    }
}

// The first parameters of each page, so that each seed stays small.
void ParamSeeds()
{
    constexpr int kParameters = 40;
    for (const bool longRecord : {true, false}) {
        CSimOptions options;
        options.longRecord = longRecord;
        CSimController controller(options);
        std::vector<std::string> replies = {ByteRequest(controller, 'A', '1', 0)};
        for (int n = 0; n < kParameters; ++n)
            replies.push_back(ByteRequest(controller, 'A', '5', n));
        WriteSeed("ParamPageFuzz", longRecord ? "lift-long" : "lift-short", "\x01" + Replies(replies));
    }
    CSimController controller;
    std::vector<std::string> replies;
    for (int n = 0; n < kParameters; ++n) {
        g_request.BuildByteArg(kControllerAddress, 'A', '5', n);
        replies.push_back(controller.HandleRequest(g_request.Data(), controller.Options().doorBaud));
    }
    WriteSeed("ParamPageFuzz", "door", std::string(1, '\0') + Replies(replies));
}

void ParamFileSeeds()
{
    std::string file;
    for (int n = 0; n < 12; ++n)
        file += std::string{static_cast<char>(n), '\0', static_cast<char>(n * 7), static_cast<char>(n % 3)};
    const char rows = 10;
    WriteSeed("ParamFileFuzz", "longer-than-list", rows + file);
    WriteSeed("ParamFileFuzz", "cut-record", static_cast<char>(20) + file.substr(0, 21));
    WriteSeed("ParamFileFuzz", "value-text", static_cast<char>(0) + std::string(" -12345"));
}

void LockoutSeeds()
{
    CSimOptions options;
    options.floors = 4;
    CSimController controller(options);
    Reply(controller, [] { g_request.BuildTextArg(kControllerAddress, 'F', 'C', "0208001730"); });
    std::vector<std::string> replies = {ByteRequest(controller, 'A', '5', 0x0B)};
    for (int floor = options.floors; floor >= 1; --floor)
        replies.push_back(ByteRequest(controller, 'A', 'C', floor));
    WriteSeed("LockoutDlgFuzz", "read", Replies(replies));
    for (int floor = options.floors; floor >= 1; --floor)
        replies.push_back(Reply(controller, [floor] {
            g_request.BuildTextArg(kControllerAddress, 'F', 'C', (std::string(HexByte(floor)) + "08001730").c_str());
        }));
    WriteSeed("LockoutDlgFuzz", "read-and-write", Replies(replies));
}

void CardSeeds()
{
    CSimController controller;
    const std::string ack = Reply(controller, [] { g_request.BuildWordCharArg(kControllerAddress, 'F', 'D', 12345, 'F'); });
    WriteSeed("ICDlgFuzz", "acknowledged", Replies({"12345", ack}));
    WriteSeed("ICDlgFuzz", "second-try", Replies({" 65535 ", "", ack}));
    WriteSeed("ICDlgFuzz", "out-of-range", Replies({"65536"}));
}

// Strings from the front, each ended by a backslash and one more byte; the
// presence of each value from the back (FuzzedDataProvider's order).
std::string SettingsInput(const std::string& comwhole, const std::string& baud, const std::string& doorBaud,
                          const std::string& specialCode)
{
    return comwhole + "\\ " + baud + "\\ " + doorBaud + "\\ " + specialCode + "\\ " + "\x01\x01\x01\x01";
}

void SettingsSeeds()
{
    for (const char* target : {"SettingsStartupFuzz", "SettingsDialogFuzz"}) {
        WriteSeed(target, "first-run", SettingsInput("1N81", "9600", "38400", "E"));
        WriteSeed(target, "com2-even", SettingsInput("2E71", "19200", "19200", "L"));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make_fuzz_seeds <corpus folder>\n";
        return 2;
    }
    g_root = argv[1];
    g_specialCode = 'E';
    StatusSeeds();
    IoSeeds();
    FaultRecordSeeds();
    FrameSeeds();
    SettingsSeeds();
    GeneralSeeds();
    ShaftSeeds();
    ParamSeeds();
    ParamFileSeeds();
    LockoutSeeds();
    CardSeeds();
    return 0;
}
