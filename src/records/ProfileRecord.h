#pragma once

#include "records/RecordFile.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace quillory::records {

constexpr int kProfileLines = 5;

// How lending and return write a number into a record: one blank, the digits, one blank
// (" 3 "); a negative number has its minus sign in place of the leading blank ("-1 ").
QString numericPrintForm(qint64 n);
// A count line as a number, blanks at either end ignored; empty when it is not a whole number
// (or too large to be one).
std::optional<qint64> parseCount(const QString& text);

struct ProfileRecord {
    QString profileId;
    QString name;
    QString home;
    QString cell;
    QString loanCount; // line 5 exactly as read ("0", " 3 ")

    std::optional<qint64> loanCountValue() const { return parseCount(loanCount); }
    QStringList toLines() const { return {profileId, name, home, cell, loanCount}; }
    static ProfileRecord fromLines(const QStringList& lines);
};

// Reads the five lines; a fifth line that is not a number is a BadValue failure that still holds
// the record as read.
Result<ProfileRecord> readProfile(const QString& path);
Result<> writeProfile(const QString& path, const ProfileRecord& record);

} // namespace quillory::records
