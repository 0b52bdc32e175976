#include "records/ProfileRecord.h"

namespace quillory::records {

QString numericPrintForm(qint64 n) {
    const QString digits = QString::number(n);
    return (n < 0 ? digits : QLatin1Char(' ') + digits) + QLatin1Char(' ');
}

std::optional<qint64> parseCount(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    // Digits only (after an optional sign): the number conversion below stops at a NUL
    // character, so "2\0x" would otherwise pass for 2.
    for (qsizetype i = (trimmed[0] == u'-' || trimmed[0] == u'+') ? 1 : 0; i < trimmed.size();
         ++i) {
        if (trimmed[i] < u'0' || trimmed[i] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

ProfileRecord ProfileRecord::fromLines(const QStringList& lines) {
    auto line = [&lines](int i) { return i < lines.size() ? lines[i] : QString(); };
    return ProfileRecord{line(0), line(1), line(2), line(3), line(4)};
}

Result<ProfileRecord> readProfile(const QString& path) {
    const Result<QStringList> read = RecordFile::read(path, kProfileLines);
    if (!read.ok())
        return read.error();
    ProfileRecord record = ProfileRecord::fromLines(read.value());
    if (!record.loanCountValue())
        return {Error{FileError::BadValue}, std::move(record)};
    return record;
}

Result<> writeProfile(const QString& path, const ProfileRecord& record) {
    return RecordFile::write(path, record.toLines());
}

} // namespace quillory::records
