#pragma once

#include <QString>
#include <optional>

namespace quillory::records {

// Every field is stored in the single-byte code page of the record files; a character outside it
// is refused rather than written as a substitute. Returns the message to show, naming the field
// by its caption (e.g. "Name"), or nothing when the text can be stored.
std::optional<QString> unstorableCharacterMessage(const QString& fieldCaption, const QString& text);

} // namespace quillory::records
