#include "records/Result.h"

namespace quillory::records {

namespace {

QString phrase(FileError error) {
    switch (error) {
    case FileError::None:
        return QStringLiteral("no error");
    case FileError::Missing:
        return QStringLiteral("the file is missing");
    case FileError::NotAFile:
        return QStringLiteral("it is not a file");
    case FileError::TooLarge:
        return QStringLiteral("the file is far too large to be a record");
    case FileError::Unreadable:
        return QStringLiteral("the file cannot be read");
    case FileError::TooShort:
        return QStringLiteral("the file has lost lines");
    case FileError::BadValue:
        return QStringLiteral("a line that should hold a number does not");
    case FileError::Unencodable:
        return QStringLiteral("a character cannot be stored in the file");
    case FileError::WriteFailed:
        return QStringLiteral("the file cannot be written");
    case FileError::RemoveFailed:
        return QStringLiteral("the file cannot be deleted");
    }
    return {};
}

} // namespace

QString errorText(const Error& error) {
    QString text = phrase(error.code);
    if (!error.detail.isEmpty())
        text += QStringLiteral(" (") + error.detail + QLatin1Char(')');
    return text;
}

} // namespace quillory::records
