// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One thing found on the machine that hides a USB serial adapter or disturbs
// the line.
struct AdapterFinding
{
    QString what;   // in a few words, for the settings dialog's note
    QString detail; // what exactly was found and what the technician can do about it
};

// A USB serial adapter the tool knows by its USB ids, with the kernel driver
// that makes it a serial device. The udev rule res/70-velor-serial.rules
// names each of them (and a few more that the cdc_acm driver serves).
struct KnownAdapter
{
    const char* vendor;  // idVendor as /sys shows it, four hex digits
    const char* product; // idProduct
    const char* chip;
    const char* driver;
};

// Why the serial settings dialog lists no USB adapter, as far as the machine
// tells without root: an adapter the kernel sees but that another driver
// claimed or that has no driver (/sys), brltty running or its udev rules in
// force (it takes adapters that share their ids with braille displays away
// from the serial driver), and ModemManager running without the rule that
// keeps it away from serial adapters (it sends AT commands to new serial
// devices). Only what was found is reported.
class CAdapterDiagnosis
{
public:
    // Where to look; tests point these at a temporary tree.
    struct Roots
    {
        QString sys = "/sys";
        QString proc = "/proc";
        QString files; // put in front of the udev rule folders; empty: the machine's own
    };

    CAdapterDiagnosis() = default;
    explicit CAdapterDiagnosis(Roots roots);

    // adapterListed: the device list shows a USB adapter. brltty is named
    // only when none is listed or an adapter was taken from its driver.
    std::vector<AdapterFinding> Diagnose(bool adapterListed) const;

    static const std::vector<KnownAdapter>& KnownAdapters();
    // The rule velor installs that tells ModemManager to leave the adapters alone.
    static constexpr const char* kRuleName = "70-velor-serial.rules";

private:
    bool CheckAdapters(std::vector<AdapterFinding>& findings, bool adapterListed) const;
    void CheckBrltty(std::vector<AdapterFinding>& findings) const;
    void CheckModemManager(std::vector<AdapterFinding>& findings) const;
    bool Running(const QString& program) const;
    QStringList RuleFolders() const;
    QString RuleInForce(const QString& fileName) const;
    QStringList RulesInForce(const QString& nameContains) const;

    Roots m_roots;
};
