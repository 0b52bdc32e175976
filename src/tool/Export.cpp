#include "tool/Export.h"

#include "records/ItemRecord.h"
#include "records/LoanRecord.h"
#include "records/ProfileRecord.h"
#include "records/RecordFile.h"

namespace quillory::tool {

using namespace records;

namespace {

constexpr qsizetype kFlushBytes = 1 << 16;

// The row of one record, or the reason it is skipped.
bool itemRow(const Folders& folders, const QString& name, QStringList& row, QString& reason) {
    const Result<ItemRecord> read = readItem(folders.itemPath(name));
    if (!read.ok()) {
        reason = errorText(read.error());
        return false;
    }
    const ItemRecord& r = read.value();
    if (r.status == kOnLoan && !r.borrower) {
        reason = QStringLiteral("it is \"ON LOAN\" but has no borrower lines");
        return false;
    }
    row = QStringList{r.title,    name,    r.dateCreated,  r.status,
                      r.language, r.price, r.serialNumber, r.publisher};
    if (r.borrower)
        row << r.borrower->profileId << r.borrower->name << r.borrower->home << r.borrower->cell
            << r.borrower->loanCount;
    else
        row << QString() << QString() << QString() << QString() << QString();
    return true;
}

bool borrowerRow(const Folders& folders, const QString& name, QStringList& row, QString& reason) {
    const Result<ProfileRecord> read = readProfile(folders.profilePath(name));
    if (!read.ok()) {
        reason = errorText(read.error());
        return false;
    }
    row = read.value().toLines();
    return true;
}

bool loanRow(const Folders& folders, const QString& name, QStringList& row, QString& reason) {
    const Result<LoanFile> read = readLoan(folders.loanPath(name));
    if (!read.ok()) {
        reason = errorText(read.error());
        return false;
    }
    const LoanRecord& r = read.value().record;
    row = QStringList{name, r.title, r.loanDate, r.price, r.profileId, r.name};
    return true;
}

} // namespace

QStringList exportHeader(RecordKind kind) {
    switch (kind) {
    case RecordKind::Items:
        return {QStringLiteral("Title"),
                QStringLiteral("File Name"),
                QStringLiteral("Date Created"),
                QStringLiteral("Status"),
                QStringLiteral("Language"),
                QStringLiteral("Price"),
                QStringLiteral("Serial Number"),
                QStringLiteral("Publisher"),
                QStringLiteral("Borrower ID"),
                QStringLiteral("Borrower Name"),
                QStringLiteral("Borrower Home"),
                QStringLiteral("Borrower Cell"),
                QStringLiteral("Borrower Loan Count")};
    case RecordKind::Borrowers:
        return {QStringLiteral("Profile ID"), QStringLiteral("Name"), QStringLiteral("Home"),
                QStringLiteral("Cell"), QStringLiteral("Loan Count")};
    case RecordKind::Loans:
        return {QStringLiteral("File Name"),   QStringLiteral("Title"),
                QStringLiteral("Loan Date"),   QStringLiteral("Price"),
                QStringLiteral("Borrower ID"), QStringLiteral("Borrower Name")};
    }
    return {};
}

ExportResult exportRecords(RecordKind kind, const Folders& folders, CsvWriter& writer,
                           QIODevice& out,
                           const std::function<void(qsizetype, qsizetype)>& progress) {
    ExportResult result;
    const QString folder = kind == RecordKind::Items       ? folders.stats
                           : kind == RecordKind::Borrowers ? folders.profiles
                                                           : folders.loaned;
    const auto rowOf = kind == RecordKind::Items       ? itemRow
                       : kind == RecordKind::Borrowers ? borrowerRow
                                                       : loanRow;
    const auto flush = [&] {
        const QByteArray bytes = writer.takeBytes();
        if (result.writeError.isEmpty() && out.write(bytes) != bytes.size())
            result.writeError = out.errorString();
    };
    writer.writeRow(exportHeader(kind));
    const QStringList names = RecordFile::list(folder).value_or(FolderListing{}).names;
    QStringList row;
    QString reason;
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (rowOf(folders, names[i], row, reason)) {
            writer.writeRow(row);
            ++result.rows;
        } else {
            result.skipped.push_back({names[i], reason});
        }
        if (writer.bytes().size() >= kFlushBytes)
            flush();
        if (progress && (i + 1) % 1000 == 0)
            progress(i + 1, names.size());
    }
    flush();
    return result;
}

} // namespace quillory::tool
