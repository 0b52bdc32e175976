#include "records/FieldCheck.h"

#include "records/Cp1252.h"

namespace quillory::records {

std::optional<QString> unstorableCharacterMessage(const QString& fieldCaption,
                                                  const QString& text) {
    const QChar bad = Cp1252::firstUnencodable(text);
    if (bad.isNull())
        return std::nullopt;
    // A character outside the basic plane arrives as a surrogate pair; name it whole.
    QString shown(bad);
    const qsizetype at = text.indexOf(bad);
    if (bad.isHighSurrogate() && at + 1 < text.size())
        shown += text.at(at + 1);
    return QStringLiteral("The %1 field contains the character \"%2\", which cannot be stored "
                          "in the record files.\rPlease type it another way.")
        .arg(fieldCaption, shown);
}

} // namespace quillory::records
