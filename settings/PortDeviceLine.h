#pragma once

#include "settings/SerialDeviceList.h"

#include <QObject>

class QComboBox;
class QWidget;

// The serial settings dialog's device line "设备：": which serial device the
// selected COMn stands for, chosen from the devices found on the machine. A
// device this user cannot open says why in its entry and in the tooltip.
// Commit points the ports/COMn link at the chosen device.
class CPortDeviceLine : public QObject
{
    Q_OBJECT
public:
    // Binds to the dialog's device selector and follows its port selector.
    CPortDeviceLine(QWidget* dialog, QComboBox* portSelector, CSerialDeviceList devices = {});

    // Fills the selector from a fresh scan and selects what the shown port stands for.
    void Scan();
    // Writes ports/COMn when the chosen device differs from what COMn stands
    // for now; false (after a message box) when the link could not be written.
    bool Commit(int portNumber);

    QComboBox* Selector() const { return m_selector; }
    static constexpr int kSelectorId = 1062;

private:
    void ShowCurrentDevice();
    void OnDeviceChosen();
    int AddEntry(const SerialDevice& device);
    QString ShortText(const QString& text) const;
    int PortNumber() const;

    QComboBox* m_portSelector;
    QComboBox* m_selector;
    CSerialDeviceList m_devices;
    std::vector<SerialDevice> m_entries; // one per selector entry, in order
};
