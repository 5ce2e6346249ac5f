// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <sys/types.h>
#include <vector>

// One serial device a COMn port can stand for.
struct SerialDevice
{
    QString path;        // what the ports/COMn link points to
    QString name;        // short name: ttyUSB0, ttyS0, /dev/pts/3
    QString description; // the adapter's name, "内置串口" or the link it came from
    QString problem;     // why this user cannot open it now, in a few words; empty when it can be opened
    QString remedy;      // what the technician can do about the problem
};

// Why opening a serial device failed with errno `error`, in a few words, and
// what the technician can do about it. `group` is the group whose members may
// open the device.
QString OpenFailureReason(int error);
QString OpenFailureRemedy(int error, const QString& group = "dialout");

// The serial devices found on the machine: USB adapters by their stable names
// under serial/by-id (named after the adapter), ttyUSB and ttyACM devices no
// stable name covers, the built-in ttyS ports that have a UART, and the
// existing ports/COMn links (the simulated controller's among them). Each
// device is checked for what would make opening it fail: missing, no
// permission (with the group that would grant it), held by another program
// (by an exclusive open, a lock on the device or a lock file of a live process).
class CSerialDeviceList
{
public:
    // Where to look; tests point these at a temporary tree.
    struct Roots
    {
        QString dev = "/dev";
        QString sys = "/sys";
        QString ports; // the ports folder; empty: the user's
        QString locks = "/run/lock"; // where serial programs leave LCK..<device> files
    };
    // Whose permissions count.
    struct Identity
    {
        uid_t uid = 0;
        std::vector<gid_t> groups; // primary and supplementary
        static Identity Current();
    };

    CSerialDeviceList();
    CSerialDeviceList(Roots roots, Identity identity);

    // Scans the machine. ownDevice is the device this program holds open
    // itself: it is not tested for being busy.
    std::vector<SerialDevice> Scan(const QString& ownDevice = {}) const;

    // Checks one device as Scan does.
    SerialDevice Describe(const QString& path, const QString& name, const QString& description,
                          const QString& ownDevice = {}) const;

    // The device COMn stands for now: its ports link, otherwise ttyS<n-1>.
    QString CurrentDevice(int portNumber) const;

    // Points ports/COMn at device, replacing any entry there in one step, so
    // a reader sees the old link or the new one, never none. false with the
    // reason in error when it could not be written.
    bool WritePortLink(int portNumber, const QString& device, QString* error = nullptr) const;

private:
    QString PortsFolder() const;
    QString PortLink(int portNumber) const;
    void AddStableNames(std::vector<SerialDevice>& devices, const QString& ownDevice) const;
    void AddKernelNames(std::vector<SerialDevice>& devices, const QString& pattern, const QString& ownDevice) const;
    void AddUarts(std::vector<SerialDevice>& devices, const QString& ownDevice) const;
    void AddPortLinks(std::vector<SerialDevice>& devices, const QString& ownDevice) const;
    bool HasUart(const QString& name) const;
    bool LockFileHeld(const QString& path) const;
    bool MayOpen(uid_t owner, gid_t group, mode_t mode) const;
    void CheckAccess(SerialDevice& device, const QString& ownDevice) const;
    static void DescribeNoPermission(SerialDevice& device, gid_t group, mode_t mode);
    bool Listed(const std::vector<SerialDevice>& devices, const QString& path) const;

    Roots m_roots;
    Identity m_identity;
};
