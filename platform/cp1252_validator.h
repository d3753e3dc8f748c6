#pragma once

#include <QValidator>

class QLineEdit;

// Keeps a line edit storable as a zero-ended Windows-1252 term: any edit that would bring in
// a character the table cannot hold, or a control character (a NUL would cut the term short,
// a line break would split the message window's lines), is refused as a whole, typed or
// pasted, and the field keeps what it held before.
//
// A text the program puts into its line edit (setText, which leaves the field unmodified) is
// taken as it is: a term read from a foreign lesson file may hold control characters. Edits
// are judged against it, so they can keep those control characters but add none.
class Cp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;

private:
    // Control characters the field may hold: those of the text the program set, fewer once
    // the user has removed some.
    mutable qsizetype allowedControls_ = 0;
};

// Term fields hold at most 78 characters; in Windows-1252 that is 78 bytes.
inline constexpr int kTermFieldMaxChars = 78;

// Installs a Cp1252Validator (owned by the field) and limits the field to maxChars
// characters, one byte each once stored.
void guardCp1252Input(QLineEdit* field, int maxChars = kTermFieldMaxChars);
