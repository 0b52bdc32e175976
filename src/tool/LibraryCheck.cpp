#include "tool/LibraryCheck.h"

#include "lending/LendingMessages.h"
#include "records/ItemRecord.h"
#include "records/LoanList.h"
#include "records/LoanRecord.h"
#include "records/ProfileRecord.h"
#include "records/RecordChange.h"

#include <QFileInfo>
#include <QMap>
#include <algorithm>
#include <optional>

namespace quillory::tool {

using namespace records;

namespace {

// Every record of the three folders, read once; what could not be used is already a finding.
struct Snapshot {
    QMap<QString, QStringList> items; // at least 7 lines (12 when on loan)
    QMap<QString, QStringList> loans; // at least 5 lines
    QMap<QString, QStringList> shortLoans;
    QMap<QString, ProfileRecord> profiles;           // 5 lines and a count that is a number
    QMap<QString, std::optional<QStringList>> lists; // non-empty lines; none: no list
    QStringList damagedProfiles;
    std::vector<Finding> findings;
};

QStringList names(const QString& folder, std::vector<Finding>& findings) {
    const std::optional<FolderListing> listing = RecordFile::list(folder);
    if (!listing)
        return {};
    for (qsizetype i = 0; i < listing->names.size(); ++i) {
        const QString& name = listing->names[i];
        if (i > 0 && listing->names[i].toCaseFolded() == listing->names[i - 1].toCaseFolded())
            findings.push_back({QStringLiteral("case-collision"),
                                QStringLiteral("%1 and %2 differ only in letter case (they are one "
                                               "file on Windows)")
                                    .arg(listing->names[i - 1], name),
                                {folder + listing->names[i - 1], folder + name}});
        if (name.contains(QChar::ReplacementCharacter))
            findings.push_back({QStringLiteral("bad-name"),
                                QStringLiteral("the name %1 is not valid text").arg(name),
                                {folder + name}});
    }
    return listing->names;
}

Finding damaged(const QString& what, const QString& path, const Error& error) {
    return {QStringLiteral("damaged-record"),
            QStringLiteral("damaged %1: %2").arg(what, errorText(error)),
            {path}};
}

Snapshot readAll(const Folders& f, const std::function<void(qsizetype, qsizetype)>& progress) {
    Snapshot s;
    if (QFileInfo::exists(intentPath(f)))
        s.findings.push_back({QStringLiteral("unfinished-change"),
                              QStringLiteral("a loan or return was stopped part-way"),
                              {intentPath(f)}});
    for (const QString& folder : {f.stats, f.profiles, f.loaned})
        for (const QString& name : RecordFile::leftovers(folder))
            s.findings.push_back({QStringLiteral("leftover-temporary"),
                                  QStringLiteral("a write that was stopped left a temporary file"),
                                  {folder + name}});
    const QStringList items = names(f.stats, s.findings);
    const QStringList loans = names(f.loaned, s.findings);
    const QStringList profiles = names(f.profiles, s.findings);
    const qsizetype total = items.size() + loans.size() + profiles.size();
    qsizetype done = 0;
    auto step = [&] {
        if (progress && (++done % 1000 == 0 || done == total))
            progress(done, total);
    };
    for (const QString& name : items) {
        step();
        const Result<QStringList> r = RecordFile::read(f.itemPath(name), kItemLines);
        if (!r.ok())
            s.findings.push_back(
                damaged(QStringLiteral("item record"), f.itemPath(name), r.error()));
        else if (r.value()[2] == kOnLoan && r.value().size() < kItemOnLoanLines)
            s.findings.push_back(damaged(QStringLiteral("item record"), f.itemPath(name),
                                         Error{FileError::TooShort}));
        else
            s.items.insert(name, r.value());
    }
    for (const QString& name : loans) {
        step();
        const Result<QStringList> r = RecordFile::read(f.loanPath(name), kLoanLines);
        if (r.ok())
            s.loans.insert(name, r.value());
        else if (r.error().code == FileError::TooShort && !r.value().isEmpty())
            s.shortLoans.insert(name, r.value());
        else
            s.findings.push_back(
                damaged(QStringLiteral("loan record"), f.loanPath(name), r.error()));
    }
    for (const QString& id : profiles) {
        step();
        const Result<ProfileRecord> r = readProfile(f.profilePath(id));
        if (!r.ok()) {
            s.damagedProfiles.append(id);
            s.findings.push_back(
                damaged(QStringLiteral("profile record"), f.profilePath(id), r.error()));
            continue;
        }
        s.profiles.insert(id, r.value());
        const Result<QStringList> list = readLoanList(f.loanListPath(id));
        s.lists.insert(id, list.ok() ? std::optional<QStringList>(list.value()) : std::nullopt);
    }
    return s;
}

bool onLoan(const QStringList& item) {
    return item.size() >= kItemOnLoanLines && item[2] == kOnLoan;
}

// The titles on loan to each borrower, from the loan records, in the order of their names.
QMap<QString, QStringList> titlesOnLoan(const Snapshot& s) {
    QMap<QString, QStringList> titles;
    for (auto it = s.loans.cbegin(); it != s.loans.cend(); ++it)
        titles[it.value()[3]].append(it.value()[0]);
    return titles;
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

QByteArray encoded(const QStringList& lines) {
    QByteArray bytes;
    RecordFile::encodeLines(lines, bytes);
    return bytes;
}

std::optional<QByteArray> bytesOf(const QString& path) {
    const Result<QByteArray> r = RecordFile::readBytes(path);
    return r.ok() ? std::optional<QByteArray>(r.value()) : std::nullopt;
}

} // namespace

std::vector<Finding> checkLibrary(const Folders& f,
                                  const std::function<void(qsizetype, qsizetype)>& progress) {
    Snapshot s = readAll(f, progress);
    std::vector<Finding>& out = s.findings;
    for (auto it = s.items.cbegin(); it != s.items.cend(); ++it)
        if (onLoan(it.value()) && !s.loans.contains(it.key()) && !s.shortLoans.contains(it.key()))
            out.push_back({QStringLiteral("loan-without-record"),
                           QStringLiteral("%1 is ON LOAN to %2 but has no loan record")
                               .arg(it.key(), it.value()[7]),
                           {f.itemPath(it.key())}});
    for (auto it = s.shortLoans.cbegin(); it != s.shortLoans.cend(); ++it)
        out.push_back({QStringLiteral("damaged-record"),
                       QStringLiteral("damaged loan record: it has lost lines"),
                       {f.loanPath(it.key())}});
    for (auto it = s.loans.cbegin(); it != s.loans.cend(); ++it) {
        const QStringList& loan = it.value();
        const QStringList files{f.loanPath(it.key()), f.itemPath(it.key())};
        const auto item = s.items.constFind(it.key());
        if (!RecordFile::exists(f.itemPath(it.key())))
            out.push_back({QStringLiteral("loan-item-missing"),
                           QStringLiteral("the loan record of %1 has no item record").arg(it.key()),
                           files});
        else if (item != s.items.cend() && item.value()[2] == kAvailable)
            out.push_back({QStringLiteral("loan-item-available"),
                           QStringLiteral("%1 has a loan record but is Available").arg(it.key()),
                           files});
        else if (item != s.items.cend() && onLoan(item.value()) && item.value()[7] != loan[3])
            out.push_back({QStringLiteral("loan-other-borrower"),
                           QStringLiteral("the loan record of %1 names %2, its item record %3")
                               .arg(it.key(), loan[3], item.value()[7]),
                           files});
        if (!s.profiles.contains(loan[3]) && !s.damagedProfiles.contains(loan[3]))
            out.push_back({QStringLiteral("loan-borrower-missing"),
                           QStringLiteral("the loan record of %1 names %2, who has no profile")
                               .arg(it.key(), loan[3]),
                           {f.loanPath(it.key())}});
    }
    const QMap<QString, QStringList> titles = titlesOnLoan(s);
    for (auto it = s.profiles.cbegin(); it != s.profiles.cend(); ++it) {
        const QStringList held = titles.value(it.key());
        if (*it.value().loanCountValue() != held.size())
            out.push_back({QStringLiteral("count-differs"),
                           QStringLiteral("%1 has a loan count of %2 but %3 loan records")
                               .arg(it.key(), it.value().loanCount.trimmed())
                               .arg(held.size()),
                           {f.profilePath(it.key())}});
        const std::optional<QStringList>& list = s.lists.value(it.key());
        if (sorted(list.value_or(QStringList())) != sorted(held))
            out.push_back({QStringLiteral("list-differs"),
                           QStringLiteral("the loan list of %1 differs from the titles on loan "
                                          "to the borrower")
                               .arg(it.key()),
                           {f.loanListPath(it.key())}});
    }
    return std::move(out);
}

void repairLibrary(const Folders& f, const QString& sessionDate, QStringList& changes) {
    // Exactly what the program's next start does, first.
    const RecoveryResult recovered = recoverChange(f);
    if (const std::optional<Message> m = lending::recoveryMessage(recovered))
        changes.append(QString(m->text).replace(QLatin1Char('\r'), QLatin1Char(' ')));
    for (const QString& folder : {f.stats, f.profiles, f.loaned})
        if (const int n = RecordFile::removeLeftovers(folder))
            changes.append(
                QStringLiteral("removed %1 leftover temporary file(s) in %2").arg(n).arg(folder));

    // Loans stopped after the item record, and loan records that lost lines: the loan record is
    // written from the item's borrower block. Returns stopped after the item record: the loan
    // record goes.
    Snapshot s = readAll(f, {});
    for (auto it = s.items.cbegin(); it != s.items.cend(); ++it) {
        if (!onLoan(it.value()) || s.loans.contains(it.key()))
            continue;
        const Result<LoanRecord> loan = loanFromItem(f.itemPath(it.key()), sessionDate);
        if (!loan.ok())
            continue;
        ChangeIntent intent{QStringLiteral("lend"), it.value()[0], it.key(), it.value()[7], {}};
        intent.steps = {{FolderKind::Loaned, it.key(), bytesOf(f.loanPath(it.key())),
                         encoded(loan->toLines())}};
        if (applyChange(f, intent).outcome == ChangeResult::Outcome::Done)
            changes.append(
                QStringLiteral("wrote the loan record of %1 from its item record").arg(it.key()));
    }
    for (auto it = s.loans.cbegin(); it != s.loans.cend(); ++it) {
        const auto item = s.items.constFind(it.key());
        if (item == s.items.cend() || item.value()[2] != kAvailable)
            continue;
        ChangeIntent intent{QStringLiteral("return"), it.value()[0], it.key(), it.value()[3], {}};
        intent.steps = {
            {FolderKind::Loaned, it.key(), bytesOf(f.loanPath(it.key())), std::nullopt}};
        if (applyChange(f, intent).outcome == ChangeResult::Outcome::Done)
            changes.append(
                QStringLiteral("deleted the loan record of %1, which is Available").arg(it.key()));
    }

    // Counts and loan lists from the loan records, one borrower at a time.
    s = readAll(f, {});
    const QMap<QString, QStringList> titles = titlesOnLoan(s);
    for (auto it = s.profiles.cbegin(); it != s.profiles.cend(); ++it) {
        const QStringList held = titles.value(it.key());
        const std::optional<QStringList>& list = s.lists.value(it.key());
        ChangeIntent intent{QStringLiteral("repair"), QString(), QString(), it.key(), {}};
        if (*it.value().loanCountValue() != held.size()) {
            ProfileRecord counted = it.value();
            counted.loanCount = numericPrintForm(held.size());
            intent.steps.push_back({FolderKind::Profiles, it.key(),
                                    bytesOf(f.profilePath(it.key())), encoded(counted.toLines())});
        }
        if (sorted(list.value_or(QStringList())) != sorted(held)) {
            // The titles still on loan keep their order; the others are added after them.
            QStringList rebuilt, missing = held;
            for (const QString& title : list.value_or(QStringList()))
                if (missing.removeOne(title))
                    rebuilt.append(title);
            rebuilt += missing;
            intent.steps.push_back({FolderKind::Profiles, it.key() + QStringLiteral(".lst"),
                                    bytesOf(f.loanListPath(it.key())), encoded(rebuilt)});
        }
        if (!intent.steps.empty() && applyChange(f, intent).outcome == ChangeResult::Outcome::Done)
            changes.append(QStringLiteral("rebuilt the loan count and list of %1 from its %2 loan "
                                          "record(s)")
                               .arg(it.key())
                               .arg(held.size()));
    }
}

} // namespace quillory::tool
