// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Page.h"
#include "link/Exchange.h"
#include "link/LineState.h"
#include "params/ParamCatalogue.h"
#include "params/ParamSet.h"
#include "params/ReadProgress.h"

#include <QStringList>

#include <optional>
#include <vector>

class QLabel;
class QTreeWidget;

// What the two parameter pages share: the parameters read from the controller
// (a parameter set, which the list, keyed by parameter number, is drawn
// from), a click that edits the clicked parameter, refresh, reset and saving
// the set to a parameter file; writing a file into the controller is the
// import's (CParamImport). A page reads its parameters when it gets the focus
// with an empty set.
class CParamListPage : public CPage
{
    Q_OBJECT
public:
    // Where the two pages differ in the shared work.
    struct Layout
    {
        int templateId;
        CParamCatalogue::Kind catalogue; // until the controller says otherwise
        int valueColumnWidth;
        int textColumnWidth;
        const char* fileName;   // the file dialog's filter name and the start of the names it proposes
        const char* resetQuestion;
        int importAckPos;       // where a write of a file's record is acknowledged
        int readBackPauseMs;    // before each try of the read after an edit
        const char* board = "lift"; // the controller's name in the service record
    };

    // How a read of the parameters ended.
    enum class ReadResult { NoAnswer, Failed, Cancelled, Complete };

    void OnSetFocus() override;

    QTreeWidget* List() const { return m_list; }
    const CParamSet& Parameters() const { return m_set; }
    const CReadProgress& Progress() const { return m_progress; }
    const Layout& PageLayout() const { return m_layout; }
    // The list shows the values of an earlier read: the last one got nothing.
    bool IsNotUpdated() const { return m_keptOld; }
    static constexpr const char* kNotUpdatedMark = "未更新（控制器无应答）";

    // What a value means where the decimal number does not say it: a bit
    // mask's sixteen bits, highest first in groups of four ("1000 0000 0000
    // 0001"), a floor display code's floor text ("B1"); empty for any other
    // parameter and for one not read. The value cell's tooltip.
    QString ReadableValue(int n) const;

    // Makes the set whole and fresh for a comparison with a file: a set that
    // is not whole, or whose values are stale, is read (going on from its gap
    // where CReadProgress allows it). A failed read has said so.
    ReadResult ReadForReview();
    // Reads every parameter again from the beginning, now.
    ReadResult ReadAgain();
    // Empties the set and gives the page the focus, which reads it again; after
    // a write nothing of the values last read is kept.
    void ReadOnFocus();
    // Reads parameter n again and shows its value in its row; silent when the
    // controller does not answer.
    void ReadBack(int n);

    // Reply positions of a parameter read (A5): the echoed number, then the
    // value's four hex digits, low byte pair first (two digits for a one-byte
    // parameter).
    static constexpr int kEchoedNumberPos = 5;
    static constexpr int kValuePos = 7;
    static constexpr int kValueDigits = 4;
    static constexpr int kOneByteDigits = 2;

    // The read of parameter n (A5): a valid frame with the letters A5 that
    // carries the whole value, two digits of a one-byte parameter, four of
    // any other (a shorter reply would hand its checksum over as value digits).
    static CExchange::Request ReadRequest(int n, bool oneByte = false);
    // The write of parameter n (F5 with a 16-bit value): 2 tries, the second
    // 100 ms after a try that was not acknowledged.
    static CExchange::Request WriteRequest(int n, int value, int waitMs = 50);

protected:
    CParamListPage(const Layout& layout, QWidget* parent);

    // Reads the parameters the set does not hold yet into it and the list;
    // after its first reply the read calls StartRead.
    virtual ReadResult ReadParameters() = 0;
    // Edits parameter n, whose row was clicked.
    virtual void Edit(int n) = 0;
    // The parameter set the list shows: value kinds and texts.
    virtual CParamCatalogue Catalogue() const = 0;
    // The question to ask before value is written to parameter n where that
    // value is a command rather than a setting (one that restores every
    // parameter's default); empty for a setting.
    virtual QString CommandQuestion(int /*n*/, int /*value*/) const { return {}; }
    // What to check when the controller did not answer a read at all.
    virtual QString SilenceMessage() const;

    // Runs the read and reports a failed one.
    ReadResult ReadAll();
    // A read's first reply came (empty for a read without a first request):
    // the set is emptied, and takes the page's catalogue, unless the read may
    // go on from its gap.
    void StartRead(const QByteArray& firstReply);
    // Empties the list and the parameter set, which takes the page's catalogue.
    void ClearRows();
    // The parameters the set does not hold yet, in ascending order: all of
    // them for an empty set.
    std::vector<int> MissingParameters() const;
    // Takes parameter n's value from the read reply in g_reply into the set
    // and shows its row.
    void InsertReadRow(int n);
    // The read of parameter n with its own value kind.
    CExchange::Request ReadRequestOf(int n) const { return ReadRequest(n, Catalogue().IsOneByte(n)); }
    // Runs a write of parameter n; a write the controller did not acknowledge
    // is reported. True when acknowledged.
    bool WriteParameter(int n, const CExchange::Request& write, int newValue);
    // The value entry dialog for parameter n, then its write and read-back. A
    // value that is a command is asked about first (No writes nothing) and
    // the whole list is read again after it.
    void EditValue(int n);

    // The value as the list shows it, empty for a parameter not read.
    QString ValueText(int n) const;
    QString Description(int n) const;

private:
    // A read that gets no value keeps the values of the list it replaces,
    // marked as not updated, and one that hears nothing at all says so, once.
    void KeepLastRead(const CLineState::Counts& before);
    // The list is about to be emptied for a new read: what it holds is kept
    // until that read has brought something.
    void ClearForNewRead();
    // Shows parameter n's row from the set, in number order, numbered shownNumber.
    void InsertSetRow(int n, int shownNumber);
    int ReplyValue(int n) const;
    // Shows parameter n's value from the set in its row.
    void ShowValue(int row, int n);
    void EditSelectedRow();
    // The export's rows: number, value, readable value, description.
    QList<QStringList> ReportRows() const;
    void OnRefreshButton();
    void OnResetButton();
    QString ChooseFile(bool save);
    void OnSaveButton();
    // Import (mayWrite) or compare: the chosen file against the parameter set.
    void ReviewFile(bool mayWrite);

    const Layout m_layout;
    QTreeWidget* m_list;
    CParamSet m_set;
    CReadProgress m_progress;
    std::optional<CParamSet> m_lastRead; // what a new read emptied, until it is done
    bool m_keptOld = false;
    QLabel* m_notUpdated;
};
