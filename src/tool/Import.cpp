#include "tool/Import.h"

#include "items/ItemCatalogue.h"

#include <QRegularExpression>
#include <QSet>

namespace quillory::tool {

namespace {

// A message of the dialogs as one console line.
QString oneLine(const QString& text) {
    QString line = text.trimmed();
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return line;
}

// Case-folded names of the records a folder holds, so each row is checked without listing
// the folder again.
QSet<QString> recordKeys(const QString& folder) {
    QSet<QString> keys;
    if (const auto listing = records::RecordFile::list(folder)) {
        keys.reserve(listing->names.size());
        for (const QString& name : listing->names)
            keys.insert(name.toCaseFolded());
    }
    return keys;
}

// Maps the header to the columns an import reads; the rest are either export columns the
// import has no use for or unknown (reported, not fatal).
struct Columns {
    std::vector<int> index; // per wanted column, -1 when absent
    QString missing;        // the first required column that is absent
    QStringList unknown;
};

Columns mapColumns(const CsvTable& table, const QStringList& wanted, int required,
                   const QStringList& known) {
    Columns c;
    for (int i = 0; i < wanted.size(); ++i) {
        c.index.push_back(table.column(wanted[i]));
        if (i < required && c.index.back() < 0 && c.missing.isEmpty())
            c.missing = wanted[i];
    }
    for (const QString& name : table.header) {
        if (!wanted.contains(name.trimmed(), Qt::CaseInsensitive) &&
            !known.contains(name.trimmed(), Qt::CaseInsensitive))
            c.unknown << name;
    }
    return c;
}

// The shape problems of a row, before any rule of the dialogs is asked.
QString rowProblem(const CsvRow& row, const CsvTable& table) {
    if (row.fields.size() != table.header.size())
        return QStringLiteral("the row has %1 fields, the header has %2")
            .arg(row.fields.size())
            .arg(table.header.size());
    if (row.badText)
        return QStringLiteral("the row is not valid UTF-8 (for a Windows-1252 file use "
                              "--encoding windows-1252)");
    return {};
}

QString field(const CsvRow& row, int index, const QString& absent = QString()) {
    return index < 0 ? absent : row.fields.value(index);
}

QString sameAsLine(const QString& text, qsizetype line) {
    return QStringLiteral("%1 (the same as line %2)").arg(oneLine(text)).arg(line);
}

} // namespace

qsizetype ImportPlan::acceptedCount() const {
    return std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) { return r.accepted(); });
}

ImportPlan planItemImport(const Folders& folders, const CsvTable& table, const QString& sessionDate,
                          const QLocale& locale) {
    enum { Title, Price, Language, Serial, Publisher };
    const Columns columns =
        mapColumns(table,
                   {QStringLiteral("Title"), QStringLiteral("Price"), QStringLiteral("Language"),
                    QStringLiteral("Serial Number"), QStringLiteral("Publisher")},
                   2,
                   {QStringLiteral("File Name"), QStringLiteral("Date Created"),
                    QStringLiteral("Status"), QStringLiteral("Borrower ID"),
                    QStringLiteral("Borrower Name"), QStringLiteral("Borrower Home"),
                    QStringLiteral("Borrower Cell"), QStringLiteral("Borrower Loan Count")});
    ImportPlan plan;
    plan.ignored = columns.unknown;
    if (!columns.missing.isEmpty()) {
        plan.error = QStringLiteral("the file has no column \"%1\"").arg(columns.missing);
        return plan;
    }
    const QSet<QString> existing = recordKeys(folders.stats);
    QHash<QString, qsizetype> taken; // case-folded file name -> line of the row that takes it
    taken.reserve(qsizetype(table.rows.size()));
    plan.rows.reserve(table.rows.size());
    for (const CsvRow& row : table.rows) {
        ImportRow out;
        out.line = row.line;
        const items::ItemFields fields{
            field(row, columns.index[Title]),
            field(row, columns.index[Language], QStringLiteral("English")),
            field(row, columns.index[Price]),
            field(row, columns.index[Serial], QStringLiteral("N.A.")),
            field(row, columns.index[Publisher], QStringLiteral("N.A."))};
        out.label = fields.title;
        out.refusal = rowProblem(row, table);
        if (out.refusal.isEmpty()) {
            if (const auto refusal = items::checkNewItem(fields, locale))
                out.refusal = oneLine(refusal->message.text);
        }
        if (out.refusal.isEmpty()) {
            const QString name = records::itemFileName(fields.title);
            const QString key = name.toCaseFolded();
            if (existing.contains(key)) {
                out.refusal = oneLine(items::alreadyCreatedMessage().text);
            } else if (const auto at = taken.constFind(key); at != taken.cend()) {
                out.refusal = sameAsLine(items::alreadyCreatedMessage().text, *at);
            } else {
                taken.insert(key, row.line);
                out.fileName = name;
                out.lines = items::newItemRecord(fields, sessionDate).toLines();
            }
        }
        plan.rows.push_back(std::move(out));
    }
    return plan;
}

ImportPlan planBorrowerImport(const Folders& folders, const CsvTable& table,
                              const borrowers::UnitSource& random) {
    enum { Name, Home, Cell, Id };
    const Columns columns = mapColumns(table,
                                       {QStringLiteral("Name"), QStringLiteral("Home"),
                                        QStringLiteral("Cell"), QStringLiteral("Profile ID")},
                                       3, {QStringLiteral("Loan Count")});
    ImportPlan plan;
    plan.ignored = columns.unknown;
    if (!columns.missing.isEmpty()) {
        plan.error = QStringLiteral("the file has no column \"%1\"").arg(columns.missing);
        return plan;
    }
    static const QRegularExpression idForm(QStringLiteral("^[1-9][0-9]{6}[A-Z]$"));
    const QSet<QString> existing = recordKeys(folders.profiles);
    // IDs the file gives are kept out of the generator's reach, wherever their rows are.
    QSet<QString> given;
    for (const CsvRow& row : table.rows)
        given.insert(field(row, columns.index[Id]).toCaseFolded());
    QHash<QString, qsizetype> taken;
    plan.rows.reserve(table.rows.size());
    for (const CsvRow& row : table.rows) {
        ImportRow out;
        out.line = row.line;
        const borrowers::ProfileFields fields{field(row, columns.index[Name]),
                                              field(row, columns.index[Home]),
                                              field(row, columns.index[Cell])};
        QString id = field(row, columns.index[Id]);
        out.label = fields.name;
        out.refusal = rowProblem(row, table);
        if (out.refusal.isEmpty()) {
            if (const auto refusal = borrowers::checkFields(fields))
                out.refusal = oneLine(refusal->message.text);
        }
        if (out.refusal.isEmpty() && !id.isEmpty()) {
            if (!idForm.match(id).hasMatch())
                out.refusal = QStringLiteral("the Profile ID %1 is not seven digits (the first "
                                             "not 0) followed by a capital letter")
                                  .arg(id);
            else if (existing.contains(id.toCaseFolded()))
                out.refusal = oneLine(borrowers::clashMessage().text.section(u'\r', 0, 0));
            else if (const auto at = taken.constFind(id.toCaseFolded()); at != taken.cend())
                out.refusal = sameAsLine(borrowers::clashMessage().text.section(u'\r', 0, 0), *at);
        }
        if (out.refusal.isEmpty()) {
            const auto inUse = [&](const QString& key) {
                return existing.contains(key) || given.contains(key) || taken.contains(key);
            };
            if (id.isEmpty()) {
                do
                    id = borrowers::generateProfileId(random);
                while (inUse(id.toCaseFolded()));
            }
            taken.insert(id.toCaseFolded(), row.line);
            out.fileName = id;
            out.lines = records::ProfileRecord{id, fields.name, fields.home, fields.cell,
                                               QStringLiteral("0")}
                            .toLines();
        }
        plan.rows.push_back(std::move(out));
    }
    return plan;
}

std::vector<ImportWrite> applyImport(const QString& folder, const ImportPlan& plan,
                                     const std::function<void(qsizetype)>& progress) {
    std::vector<ImportWrite> written;
    const QSet<QString> existing = recordKeys(folder);
    // Made a group at a time: each group's files reach the disk with a few syncs in all, and the
    // progress moves on as each group is done.
    constexpr size_t kGroup = 512;
    std::vector<const ImportRow*> group;
    const auto writeGroup = [&] {
        std::vector<records::RecordFile::NewRecord> made;
        std::vector<bool> clash(group.size());
        for (size_t i = 0; i < group.size(); ++i) {
            // The same name in another case is the same record; the exact name is refused by
            // the creation itself, which never replaces a file.
            clash[i] = existing.contains(group[i]->fileName.toCaseFolded());
            if (!clash[i])
                made.push_back({group[i]->fileName, group[i]->lines});
        }
        const std::vector<records::Result<>> results = records::RecordFile::createAll(folder, made);
        auto result = results.begin();
        for (size_t i = 0; i < group.size(); ++i) {
            ImportWrite w{group[i], {}};
            if (clash[i])
                w.result = records::RecordFile::nameTaken();
            else
                w.result = *result++;
            written.push_back(std::move(w));
            if (progress)
                progress(qsizetype(written.size()));
        }
        group.clear();
    };
    for (const ImportRow& row : plan.rows) {
        if (!row.accepted())
            continue;
        group.push_back(&row);
        if (group.size() == kGroup)
            writeGroup();
    }
    writeGroup();
    return written;
}

} // namespace quillory::tool
