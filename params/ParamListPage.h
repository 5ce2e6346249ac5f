#pragma once

#include "app/Page.h"
#include "link/Exchange.h"
#include "params/ParamCatalogue.h"

class QTreeWidget;

// What the two parameter pages share: the list of parameters keyed by their
// numbers, a click that edits the clicked parameter, refresh, reset, saving
// the list to a parameter file and writing a file into the controller. A page
// reads its parameters when it gets the focus with an empty list.
class CParamListPage : public CPage
{
    Q_OBJECT
public:
    // Where the two pages differ in the shared work.
    struct Layout
    {
        int templateId;
        int valueColumnWidth;
        int textColumnWidth;
        const char* fileName;  // the file dialog's initial name and filter name
        int importAckPos;      // where a write of a file's record is acknowledged
        int readBackPauseMs;   // before each try of the read after an edit
    };

    void OnSetFocus() override;

    QTreeWidget* List() const { return m_list; }

    // Reply positions of a parameter read (A5): the echoed number, then the
    // value's four hex digits, low byte pair first.
    static constexpr int kEchoedNumberPos = 5;
    static constexpr int kValuePos = 7;
    static constexpr int kValueDigits = 4;
    // A read reply shorter than this does not carry the whole value: its
    // checksum would be taken for value digits.
    static constexpr int kValueReplyLength = kValuePos + kValueDigits + 3;

    // The read of parameter n (A5): a valid frame with the letters A5 that
    // carries the whole value.
    static CExchange::Request ReadRequest(int n);
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

    // Inserts the row of parameter n from the read reply in g_reply.
    void InsertReadRow(int n);
    // Reads parameter n again and shows its value in its row; silent when the
    // controller does not answer.
    void ReadBack(int n);
    // The value entry dialog for parameter n, then its write and read-back.
    void EditValue(int n);

    QString ValueText(int n) const;
    QString Description(int n) const;

private:
    int ReplyValue(int n) const;
    void OnListClick();
    void OnRefreshButton();
    void OnResetButton();
    // The file to save to or import from; empty for Cancel or an empty list.
    QString ChooseFile(bool save);
    void OnSaveButton();
    void OnImportButton();

    const Layout m_layout;
    QTreeWidget* m_list;
};
