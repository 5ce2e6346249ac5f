// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

#include <optional>

// Moves values between a dialog's (or page's) fields and its controls, found by
// template id. Loading (saveAndValidate false) writes the fields into the
// controls; saving reads them back and validates them. A value that does not
// pass shows the validation prompt, puts the focus on its control (selecting an
// edit's text) and marks the exchange failed; every later call of the same
// exchange then does nothing and returns false, so the dialog stays open with
// its fields as far as they were taken.
class CDataExchange {
public:
    CDataExchange(QWidget* root, bool saveAndValidate);

    bool Saving() const { return m_saving; }
    bool Failed() const { return m_failed; }

    // Text of an edit, static, button, group box or combo box. `maxChars` > 0
    // limits what an edit accepts.
    bool Text(int id, QString& value, int maxChars = 0);
    // Unsigned decimal; on saving a text that is not one is refused with
    // "Please enter a positive integer.".
    bool Unsigned(int id, unsigned& value);
    // As above, and a value outside min..max is refused with
    // "Please enter an integer between <min> and <max>.".
    bool Unsigned(int id, unsigned& value, unsigned min, unsigned max);
    // Unsigned decimal read as the C library's "%u" reads it: leading blanks
    // skipped, the leading digits taken, anything after them ignored ("12x" is
    // 12), a minus sign wrapping the number to a large unsigned value ("-1" is
    // 4294967295, refused by the range). At most 63 characters are read. No
    // leading digit: "Please enter a positive integer."; outside min..max:
    // "Please enter an integer between <min> and <max>.".
    bool ScannedUnsigned(int id, unsigned& value, unsigned min, unsigned max);
    // Signed decimal; refused with "Please enter an integer.".
    bool Signed(int id, int& value);
    // As above, and a value outside min..max is refused with
    // "Please enter an integer between <min> and <max>.".
    bool Signed(int id, int& value, int min, int max);
    // Combo box text. Loading selects the first entry that begins with the text
    // (ignoring case); when none does, the text goes into the edit field of a
    // combo box that has one and is ignored otherwise. Saving takes the shown text.
    bool ComboText(int id, QString& value, int maxChars = 0);
    // Check box or radio button state.
    bool Check(int id, bool& value);

private:
    QWidget* Find(int id) const;
    // Loading shows the value and gives nullptr; saving gives the control
    // whose text is to be parsed (nullptr when there is none or the exchange failed).
    QWidget* NumberToTake(int id, long long value);
    bool Fail(QWidget* control, const QString& prompt);
    bool TakeUnsigned(QWidget* control, std::optional<long long> parsed, unsigned& value, unsigned min,
                      unsigned max);

    QWidget* m_root;
    bool m_saving;
    bool m_failed = false;
};

// The text a control shows (a combo box: its current text).
QString ControlText(const QWidget* control);
// Sets a control's text; a combo box without an edit field ignores it.
void SetControlText(QWidget* control, const QString& text);
