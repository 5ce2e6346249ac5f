// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Page.h"
#include "record/RecordedWrite.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <optional>

// The general page (tab 1): the controller's program name, elevator ID,
// telephone number, run count and clock, read on every focus, the clock then
// polled once a second; sets the ID, the telephone number and the clock and
// resets the run count, each followed by a fresh read.
class CFrameBuffer;

class CGeneralPage : public CPage
{
    Q_OBJECT
public:
    static constexpr int kPageIndex = 1;
    static constexpr int kClockPeriodMs = 1000;

    explicit CGeneralPage(QWidget* parent = nullptr);

    void OnSetFocus() override;
    void OnKillFocus() override;
    void OnReplyReady() override;
    void OnTimer1() override;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    // How the reply to one item is shown: its second letter, its field and
    // control, and the decoder (no result: the reply does not carry the item
    // in full, and the field stays as it is).
    struct ItemDecoder
    {
        char letter2;
        QString CGeneralPage::*member;
        int controlId;
        std::optional<QString> (*decode)(const CFrameBuffer& reply);
    };
    static const ItemDecoder kDecoders[];

    bool ReadIdentity();
    // Names each write sent without reading its reply that the read just
    // done shows did not take, then forgets them.
    void ReportWritesThatDidNotTake();
    // The writes the read did not get to check: their outcome is unconfirmed.
    void ForgetWritesSent();
    static void SettleUnchecked(std::optional<CRecordedWrite>& write);
    void KeepIdentity();
    void ReadEditableControls();
    void OnSetIdButton();
    void OnSetPhoneButton();
    void OnResetRunCountButton();
    void OnSetClockButton();

    QString m_elevatorId;
    QString m_phone;
    QString m_programName;
    QString m_runCount;
    QString m_clockText;
    bool m_reading = false; // from the start of a read to the close of its failure message

    // The writes the next read checks: the ID as the controller keeps what
    // was sent, a run count reset, the clock sent and when.
    std::optional<QString> m_idSent;
    bool m_runCountReset = false;
    std::optional<QByteArray> m_clockSent;
    QElapsedTimer m_sinceClockSent;
    // The same writes in the service record, told their outcome by that read.
    std::optional<CRecordedWrite> m_idWrite;
    std::optional<CRecordedWrite> m_runCountWrite;
    std::optional<CRecordedWrite> m_clockWrite;
    CServiceRecord::Identity m_identity; // as the last whole read found it
};
