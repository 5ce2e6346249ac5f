// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimConsole.h"

#include "sim/SimController.h"
#include "sim/SimTrace.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

bool ParseInt(const std::string& text, int lowest, int highest, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || parsed < lowest || parsed > highest)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool ParseFraction(const std::string& text, double& value)
{
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(parsed >= 0 && parsed <= 1))
        return false;
    value = parsed;
    return true;
}

bool ParseSwitch(const std::string& text, bool& value)
{
    if (text != "on" && text != "off")
        return false;
    value = text == "on";
    return true;
}

template <typename T>
bool ParseName(const std::string& text, const std::vector<std::pair<const char*, T>>& names, T& value)
{
    for (const auto& [name, named] : names)
        if (text == name) {
            value = named;
            return true;
        }
    return false;
}

const std::vector<std::pair<const char*, CSimMainBoard::Mode>> kModes = {
    {"auto", CSimMainBoard::Mode::Automatic},     {"inspection", CSimMainBoard::Mode::Inspection},
    {"fire", CSimMainBoard::Mode::Fire},          {"independent", CSimMainBoard::Mode::Independent},
    {"lockout", CSimMainBoard::Mode::LockedOut},  {"attendant", CSimMainBoard::Mode::Attendant},
};
const std::vector<std::pair<const char*, CSimMainBoard::Load>> kLoads = {
    {"normal", CSimMainBoard::Load::Normal}, {"full", CSimMainBoard::Load::Full}, {"over", CSimMainBoard::Load::Over}};
const std::vector<std::pair<const char*, int>> kCallTypes = {
    {"car", CSimCar::CarCall}, {"up", CSimCar::UpCall}, {"down", CSimCar::DownCall}};

template <typename T>
const char* NameOf(T value, const std::vector<std::pair<const char*, T>>& names)
{
    for (const auto& [name, named] : names)
        if (named == value)
            return name;
    return "?";
}

const char* OnOff(bool on)
{
    return on ? "on" : "off";
}

const char* DoorText(CSimCar::Door door)
{
    switch (door) {
    case CSimCar::Door::Opening:
        return "opening";
    case CSimCar::Door::Open:
        return "open";
    case CSimCar::Door::Closing:
        return "closing";
    case CSimCar::Door::Closed:
        break;
    }
    return "closed";
}

std::string CallList(const CSimCar& car, int type)
{
    std::string list;
    for (int floor = 1; floor <= CSimCar::kMostCallFloors; ++floor)
        if (car.HasCall(type, floor))
            list += (list.empty() ? "" : ",") + std::to_string(floor);
    return list.empty() ? "-" : list;
}

} // namespace

CSimConsole::CSimConsole(CSimController& controller, CSimTrace& trace, Sender send)
    : m_controller(controller)
    , m_trace(trace)
    , m_send(std::move(send))
{
}

std::string CSimConsole::Execute(const std::string& line)
{
    std::istringstream words(line);
    std::string command, argument, extra;
    words >> command >> argument >> extra;
    if (command.empty())
        return {};
    CSimMisbehaviour& misbehaviour = m_controller.Misbehaviour();
    CSimMainBoard& board = m_controller.MainBoard();
    const std::string done = "ok\n";
    int number = 0;
    CSimMainBoard::Mode mode{};
    CSimMainBoard::Load load{};
    int callType = 0;

    if (command == "help")
        return Help();
    if (command == "status")
        return Status();
    if (command == "quit") {
        m_quit = true;
        return "stopping\n";
    }
    if (command == "silent" && ParseSwitch(argument, misbehaviour.silent))
        return done;
    if (command == "latency" && ParseInt(argument, 0, 60000, misbehaviour.latencyMs))
        return done;
    if (command == "needs-gap" && ParseInt(argument, 0, 60000, misbehaviour.needsGapMs))
        return done;
    if (command == "badsum" && ParseFraction(argument, misbehaviour.badChecksumFraction))
        return done;
    if (command == "wrongletters" && ParseFraction(argument, misbehaviour.wrongLetterFraction))
        return done;
    if (command == "refuse" && ParseSwitch(argument, misbehaviour.refuseWrites))
        return done;
    if (command == "garbage" && ParseSwitch(argument, misbehaviour.garbage))
        return done;
    if (command == "overlong" && argument.empty()) {
        m_send(CSimController::OverlongFrame());
        return done;
    }
    if (command == "fault" && ParseInt(argument, 1, 99, number)) {
        m_send(m_controller.FaultReport(number));
        return done;
    }
    if (command == "mode" && ParseName(argument, kModes, mode)) {
        board.SetMode(mode);
        return done;
    }
    if (command == "load" && ParseName(argument, kLoads, load)) {
        board.SetLoad(load);
        return done;
    }
    if (command == "call" && ParseName(argument, kCallTypes, callType) && ParseInt(extra, 1, 48, number))
        return board.Car().RegisterCall(callType, number) ? done : "no such call at this installation\n";
    if ((command == "unplug" || command == "replug") && argument.empty() && m_lineSwitch)
        return m_lineSwitch(command == "replug");
    if (command == "trace" && (argument == "on" || argument == "off")) {
        m_trace.SetEnabled(argument == "on");
        return done;
    }
    return "unknown or incomplete command: " + line + " (try help)\n";
}

std::string CSimConsole::Help()
{
    return "commands:\n"
           "  silent on|off          answer nothing\n"
           "  latency MS             wait MS milliseconds before every reply\n"
           "  needs-gap MS           answer nothing to a request sooner than MS after the last reply\n"
           "  badsum FRACTION        spoil the checksum of that share of replies (0 to 1)\n"
           "  wrongletters FRACTION  change the second letter of that share of replies\n"
           "  refuse on|off          refuse every write and command ('0' instead of 'F')\n"
           "  garbage on|off         send stray bytes before every reply\n"
           "  overlong               send a frame that never ends\n"
           "  fault CODE             report fault CODE (1 to 99) unasked\n"
           "  mode auto|inspection|fire|independent|lockout|attendant\n"
           "  load normal|full|over\n"
           "  call car|up|down FLOOR register a call\n"
           "  unplug                 pull the line out like a USB adapter (the device goes)\n"
           "  replug                 plug a new device in under the same ports/COMn name\n"
           "  trace on|off           show every frame\n"
           "  status                 show the car and the misbehaviour\n"
           "  quit                   stop the simulator\n";
}

std::string CSimConsole::Status() const
{
    CSimMainBoard& board = m_controller.MainBoard();
    const CSimCar& car = board.Car();
    const CSimMisbehaviour& misbehaviour = m_controller.Misbehaviour();
    std::ostringstream text;
    text << "floor " << car.Floor() << " of " << car.FloorCount() << " (code " << board.DisplayCode() << "), door "
         << DoorText(car.DoorState()) << ", direction " << (car.Direction() > 0 ? "up" : car.Direction() < 0 ? "down" : "none")
         << ", speed " << car.SpeedMmPerSecond() << " mm/s" << (car.IsLearning() ? ", learning the shaft" : "")
         << "\ncalls: car " << CallList(car, CSimCar::CarCall) << ", up " << CallList(car, CSimCar::UpCall) << ", down "
         << CallList(car, CSimCar::DownCall) << "\nmode " << NameOf(board.GetMode(), kModes) << ", load " << NameOf(board.GetLoad(), kLoads)
         << ", fault " << board.ActiveFault() << ", run count " << car.RunCount()
         << ", clock " << board.Clock().Text() << "\nsilent " << OnOff(misbehaviour.silent) << ", latency "
         << misbehaviour.latencyMs << " ms, needs-gap " << misbehaviour.needsGapMs << " ms, badsum " << misbehaviour.badChecksumFraction << ", wrongletters "
         << misbehaviour.wrongLetterFraction << ", refuse " << OnOff(misbehaviour.refuseWrites) << ", garbage "
         << OnOff(misbehaviour.garbage) << ", trace " << OnOff(m_trace.IsEnabled()) << "\n";
    return text.str();
}
