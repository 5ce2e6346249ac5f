#pragma once

#include "ui/Page.h"
#include "link/Exchange.h"
#include "link/LineState.h"
#include "params/ParamCatalogue.h"
#include "params/ParamSet.h"

#include <QStringList>

#include <optional>
#include <vector>

class QLabel;
class QTreeWidget;
struct ParamDifference;
struct ParamFileContents;

// What the two parameter pages share: the parameters read from the controller
// (a parameter set, shown in the list keyed by parameter number), a click
// that edits the clicked parameter, refresh, reset, saving the set to a
// parameter file, and writing a file into the controller after the
// technician has reviewed what it changes. A page reads its parameters when
// it gets the focus with an empty list.
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
    };

    void OnSetFocus() override;

    QTreeWidget* List() const { return m_list; }
    const CParamSet& Parameters() const { return m_set; }
    // The list shows the values of an earlier read: the last one got nothing.
    bool IsNotUpdated() const { return m_keptOld; }
    static constexpr const char* kNotUpdatedMark = "未更新（控制器无应答）";

    // What a value means where the decimal number does not say it: a bit
    // mask's sixteen bits, highest first in groups of four ("1000 0000 0000
    // 0001"), a floor display code's floor text ("B1"); empty for any other
    // parameter and for one not read. The value cell's tooltip.
    QString ReadableValue(int n) const;

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

    // Reads every parameter into the (empty) list.
    virtual void ReadAll() = 0;
    // Edits parameter n, whose row was clicked.
    virtual void Edit(int n) = 0;
    // The parameter set the list shows: value kinds and texts.
    virtual CParamCatalogue Catalogue() const = 0;
    // Parameter n holds a mask of sixteen switches.
    virtual bool IsBitMask(int /*n*/) const { return false; }
    // What to check when the controller did not answer a read at all.
    virtual QString SilenceMessage() const;

    // Empties the list and the parameter set, which takes the page's catalogue.
    void ClearRows();
    // The parameters the list does not show yet, in ascending order: all of
    // them for an empty list.
    std::vector<int> MissingParameters() const;
    // Inserts the row of parameter n from the read reply in g_reply.
    void InsertReadRow(int n);
    // The read of parameter n with its own value kind.
    CExchange::Request ReadRequestOf(int n) const { return ReadRequest(n, Catalogue().IsOneByte(n)); }
    // Reads parameter n again and shows its value in its row; silent when the
    // controller does not answer.
    void ReadBack(int n);
    // Runs a write of parameter n; a write the controller did not acknowledge
    // is reported. True when acknowledged.
    bool WriteParameter(int n, const CExchange::Request& write);
    // The value entry dialog for parameter n, then its write and read-back.
    void EditValue(int n);

    // The value as the list shows it, empty for a parameter not read.
    QString ValueText(int n) const;
    QString Description(int n) const;

private:
    // A read of the whole list (the first load, 刷新): one that gets no value
    // keeps the values of the list it replaces, marked as not updated, and
    // one that hears nothing at all says so, once.
    void ReadAllKeepingLastRead();
    void KeepLastRead(const CLineState::Counts& before);
    // 刷新 and the import's read: the list is read again from the start.
    void ReadAgain();
    void InsertValueRow(int n, int shownNumber, int value);
    int ReplyValue(int n) const;
    // Takes parameter n's value into the set and shows it in its row.
    void ShowValue(int row, int n, int value);
    void EditSelectedRow();
    // The export's rows: number, value, readable value, description.
    QList<QStringList> ReportRows() const;
    void OnRefreshButton();
    void OnResetButton();
    QString ChooseFile(bool save);
    void OnSaveButton();
    // Import (mayWrite) or compare: the chosen file against the parameter set.
    void ReviewFile(bool mayWrite);
    // Reads the file at path and makes sure the list is read; false (after
    // saying why) when there is nothing to compare.
    bool LoadForReview(const QString& path, ParamFileContents& contents);
    // The designed import: every record as far as the list reaches, in file
    // order, up to the first refused one; then the list is read again.
    void ImportWholeFile(const ParamFileContents& contents, const QString& path);
    // Writes the records the technician kept checked, reads back their rows
    // and says how many went in and which were refused (or that the
    // technician stopped it).
    void ImportChecked(const std::vector<ParamDifference>& checked);

    const Layout m_layout;
    QTreeWidget* m_list;
    CParamSet m_set;
    std::optional<CParamSet> m_lastRead; // what ReadAgain emptied, until its read is done
    bool m_keptOld = false;
    QLabel* m_notUpdated;
};
