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
    return 0;
}
