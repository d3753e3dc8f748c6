#include "cp1252_validator.h"

#include "cp1252.h"

#include <QLineEdit>

namespace {

constexpr char16_t kFirstPrintable = 0x20;

} // namespace

QValidator::State Cp1252Validator::validate(QString& input, int& /*pos*/) const
{
    for (const QChar c : input) {
        if (c.unicode() < kFirstPrintable || !cp1252CanEncode(c)) return Invalid;
    }
    return Acceptable;
}

void guardCp1252Input(QLineEdit* field, int maxChars)
{
    field->setValidator(new Cp1252Validator(field));
    field->setMaxLength(maxChars);
}
