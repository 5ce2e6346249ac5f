// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/AdapterDiagnosis.h"
#include "settings/SerialDeviceList.h"

#include <QObject>

class QComboBox;
class QLabel;
class QWidget;

// The serial settings dialog's device line "设备：": which serial device the
// selected COMn stands for, chosen from the devices found on the machine. A
// device this user cannot open says why in its entry and in the tooltip. The
// note below the line says why no USB adapter is listed, as far as the
// machine tells (CAdapterDiagnosis); its link opens the details and fixes.
// Commit points the ports/COMn link at the chosen device.
class CPortDeviceLine : public QObject
{
    Q_OBJECT
public:
    // Binds to the dialog's device selector and follows its port selector.
    CPortDeviceLine(QWidget* dialog, QComboBox* portSelector, CSerialDeviceList devices = {},
                    CAdapterDiagnosis diagnosis = {});

    // Fills the selector from a fresh scan and selects what the shown port stands for.
    void Scan();
    // Writes ports/COMn when the chosen device differs from what COMn stands
    // for now; false (after a message box) when the link could not be written.
    bool Commit(int portNumber);

    QComboBox* Selector() const { return m_selector; }
    QLabel* Note() const { return m_note; }
    // Shows what the last scan's diagnosis found, with the fixes.
    void ShowDetails() const;
    static constexpr int kSelectorId = 1062;
    static constexpr int kNoteId = 1063;

private:
    void ShowDiagnosis(bool adapterListed);
    void ShowCurrentDevice();
    void OnDeviceChosen();
    int AddEntry(const SerialDevice& device);
    QString ShortText(const QString& text) const;
    int PortNumber() const;

    QComboBox* m_portSelector;
    QComboBox* m_selector;
    QLabel* m_note;
    CSerialDeviceList m_devices;
    CAdapterDiagnosis m_diagnosis;
    std::vector<AdapterFinding> m_findings; // of the last scan
    std::vector<SerialDevice> m_entries; // one per selector entry, in order
};
