#include "cp1252_validator.h"

#include "cp1252.h"

#include <QLineEdit>

namespace {

constexpr char16_t kFirstPrintable = 0x20;

} // namespace

QValidator::State Cp1252Validator::validate(QString& input, int& /*pos*/) const
{
    qsizetype controls = 0;
    for (const QChar c : input) {
        if (!cp1252CanEncode(c)) return Invalid;
        if (c.unicode() < kFirstPrintable) ++controls;
    }
    // QLineEdit refuses an edit only when the text before it was valid; the program's own text
    // must therefore count as valid, or everything typed after it would get through.
    const auto* field = qobject_cast<const QLineEdit*>(parent());
    if (field != nullptr && !field->isModified()) {
        allowedControls_ = controls;
        return Acceptable;
    }
    if (controls > allowedControls_) return Invalid;
    allowedControls_ = controls;
    return Acceptable;
}

void guardCp1252Input(QLineEdit* field, int maxChars)
{
    field->setValidator(new Cp1252Validator(field));
    field->setMaxLength(maxChars);
}
