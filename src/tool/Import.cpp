#include "tool/Import.h"

#include "items/ItemCatalogue.h"
#include "records/FolderIndex.h"
#include "records/ProfileRecord.h"

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

// Names as the folders compare them: letter case ignored one UTF-16 unit at a time. A key is a
// view of the name, so no folded copy is made, with the hash of its folded units, so that names
// with a long beginning in common ("Volume 1", "Volume 2", ...) are compared only when their
// hashes are equal.
struct FoldedKey {
    explicit FoldedKey(QStringView n) : name(n), hash(records::NameTable::hashIgnoringCase(n)) {}
    QStringView name;
    quint64 hash;
    bool operator==(const FoldedKey& o) const {
        return hash == o.hash && records::NameTable::compareIgnoringCase(name, o.name) == 0;
    }
};

size_t qHash(const FoldedKey& key, size_t seed) {
    return size_t(key.hash) ^ seed;
}

// The folder's records as listed once; each row is looked up without listing the folder again.
class FolderNames {
public:
    explicit FolderNames(const QString& folder) : m_index(records::FolderIndex::of(folder)) {
        m_any = m_index->update() && m_index->count() > 0;
    }
    bool contains(QStringView name) const { return m_any && m_index->rowIgnoringCase(name) >= 0; }

private:
    std::shared_ptr<records::FolderIndex> m_index;
    bool m_any = false; // the folder was read and has records
};

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

// The shape problems of a row, before any rule of the dialogs is asked; most rows have none,
// which the callers see without a call.
QString rowProblem(const CsvRow& row, const CsvTable& table) {
    if (row.size != table.header.size())
        return QStringLiteral("the row has %1 fields, the header has %2")
            .arg(row.size)
            .arg(table.header.size());
    if (row.badText)
        return QStringLiteral("the row is not valid UTF-8 (for a Windows-1252 file use "
                              "--encoding windows-1252)");
    return {};
}

// A record holds one value a line, and the dialogs' fields hold one line: a field with a line
// break of its own, which a quoted CSV field may have, would be read back as two lines, every
// later line one place off. Asked of the rows the dialogs' checks let through, and only of a file
// that has such a field at all.
QString lineBreakProblem(const ImportPlan& plan, const ImportRow& row) {
    if (!plan.source.lineBreaks)
        return {};
    // plan.field numbers the fields as the dialogs' enums do.
    const int count = plan.items ? 5 : 3;
    for (int i = 0; i < count; ++i) {
        const QStringView text = plan.field(row, i);
        if (text.contains(u'\r') || text.contains(u'\n'))
            return QStringLiteral("The %1 field contains a line break, which cannot be stored in "
                                  "the record files.")
                .arg(plan.items ? items::fieldCaption(items::ItemField(i))
                                : borrowers::fieldCaption(borrowers::Field(i)));
    }
    return {};
}

// The dialogs' functions take strings: these borrow the file's text instead of copying it.
QString borrowed(QStringView text) {
    return QString::fromRawData(reinterpret_cast<const QChar*>(text.utf16()), text.size());
}

QString sameAsLine(const QString& text, qsizetype line) {
    return QStringLiteral("%1 (the same as line %2)").arg(oneLine(text)).arg(line);
}

ImportPlan startPlan(const CsvTable& table, const Columns& columns, bool items) {
    ImportPlan plan;
    plan.items = items;
    plan.ignored = columns.unknown;
    if (!columns.missing.isEmpty()) {
        plan.error = QStringLiteral("the file has no column \"%1\"").arg(columns.missing);
        // Spreadsheet programs set to many European regions save with semicolons between fields.
        if (table.header.size() == 1 && table.header.front().contains(u';'))
            plan.error += QStringLiteral(" (its fields are separated by semicolons: save it "
                                         "with commas between fields)");
        return plan;
    }
    plan.source = table; // shared, not copied: the rows' views stay valid with the plan
    plan.rows.resize(size_t(table.rows.size()));
    return plan;
}

const QString kEnglish = QStringLiteral("English");
const QString kNotApplicable = QStringLiteral("N.A.");

} // namespace

qsizetype ImportPlan::acceptedCount() const {
    return std::count_if(rows.begin(), rows.end(), [](const ImportRow& r) { return r.accepted(); });
}

QStringView ImportPlan::field(const ImportRow& row, int index) const {
    const int column = columns[size_t(index)];
    return column < 0 ? defaults[size_t(index)]
                      : source.field(source.rows[&row - rows.data()], column);
}

QStringList ImportPlan::recordLines(const ImportRow& row) const {
    const auto f = [&](int i) { return field(row, i).toString(); };
    if (items)
        return items::newItemRecord({f(0), f(1), f(2), f(3), f(4)}, sessionDate).toLines();
    return records::ProfileRecord{row.fileName.toString(), f(0), f(1), f(2), QStringLiteral("0")}
        .toLines();
}

ImportPlan planItemImport(const Folders& folders, const CsvTable& table, const QString& sessionDate,
                          const QLocale& locale) {
    enum { Title, Language, Price, Serial, Publisher };
    const Columns columns =
        mapColumns(table,
                   {QStringLiteral("Title"), QStringLiteral("Price"), QStringLiteral("Language"),
                    QStringLiteral("Serial Number"), QStringLiteral("Publisher")},
                   2,
                   {QStringLiteral("File Name"), QStringLiteral("Date Created"),
                    QStringLiteral("Status"), QStringLiteral("Borrower ID"),
                    QStringLiteral("Borrower Name"), QStringLiteral("Borrower Home"),
                    QStringLiteral("Borrower Cell"), QStringLiteral("Borrower Loan Count")});
    ImportPlan plan = startPlan(table, columns, true);
    if (!plan.ok())
        return plan;
    plan.sessionDate = sessionDate;
    plan.columns = {columns.index[0], columns.index[2], columns.index[1], columns.index[3],
                    columns.index[4]};
    plan.defaults = {QStringView(), kEnglish, QStringView(), kNotApplicable, kNotApplicable};
    const FolderNames existing(folders.stats);
    QHash<FoldedKey, qsizetype> taken; // file name -> line of the row that takes it
    taken.reserve(table.rows.size());
    for (ImportRow& out : plan.rows) {
        const CsvRow& row = table.rows[&out - plan.rows.data()];
        out.line = row.line;
        if (row.size != table.header.size() || row.badText) {
            out.refusal = rowProblem(row, table);
            continue;
        }
        const auto at = [&](int i) {
            const int column = plan.columns[size_t(i)];
            return column < 0 ? plan.defaults[size_t(i)] : table.field(row, column);
        };
        const items::ItemFields fields{borrowed(at(Title)), borrowed(at(Language)),
                                       borrowed(at(Price)), borrowed(at(Serial)),
                                       borrowed(at(Publisher))};
        if (const auto refusal = items::checkNewItem(fields, locale)) {
            out.refusal = oneLine(refusal->message.text);
            continue;
        }
        if (out.refusal = lineBreakProblem(plan, out); !out.refusal.isEmpty())
            continue;
        // A view of the file's text, which the plan keeps: a check may have given the borrowed
        // title a copy of its own.
        QStringView name = at(Title);
        if (const QString made = records::itemFileName(fields.title);
            made.constData() != fields.title.constData()) {
            plan.made.append(made);
            name = plan.made.constLast();
        }
        if (existing.contains(name)) {
            out.refusal = oneLine(items::alreadyCreatedMessage().text);
        } else if (qsizetype& first = taken[FoldedKey{name}]; first != 0) {
            out.refusal = sameAsLine(items::alreadyCreatedMessage().text, first);
        } else {
            first = row.line; // lines count from 1: 0 is a name no row has taken yet
            out.fileName = name;
        }
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
    ImportPlan plan = startPlan(table, columns, false);
    if (!plan.ok())
        return plan;
    static const QRegularExpression idForm(QStringLiteral("^[1-9][0-9]{6}[A-Z]$"));
    plan.columns = {columns.index[Name], columns.index[Home], columns.index[Cell], -1, -1};
    const FolderNames existing(folders.profiles);
    const auto idOf = [&](const CsvRow& row) { return table.field(row, columns.index[Id]); };
    // IDs the file gives are kept out of the generator's reach, wherever their rows are.
    QSet<FoldedKey> given;
    for (const CsvRow& row : table.rows)
        given.insert(FoldedKey{idOf(row)});
    QHash<FoldedKey, qsizetype> taken;
    const QString clash = borrowers::clashMessage().text.section(u'\r', 0, 0);
    for (ImportRow& out : plan.rows) {
        const CsvRow& row = table.rows[&out - plan.rows.data()];
        out.line = row.line;
        QStringView id = idOf(row);
        out.refusal = rowProblem(row, table);
        if (!out.refusal.isEmpty())
            continue;
        if (const auto refusal = borrowers::checkFields({borrowed(plan.field(out, Name)),
                                                         borrowed(plan.field(out, Home)),
                                                         borrowed(plan.field(out, Cell))})) {
            out.refusal = oneLine(refusal->message.text);
            continue;
        }
        if (out.refusal = lineBreakProblem(plan, out); !out.refusal.isEmpty())
            continue;
        if (!id.isEmpty()) {
            if (!idForm.match(id).hasMatch())
                out.refusal = QStringLiteral("the Profile ID %1 is not seven digits (the first "
                                             "not 0) followed by a capital letter")
                                  .arg(id);
            else if (existing.contains(id))
                out.refusal = oneLine(clash);
            else if (const auto it = taken.constFind(FoldedKey{id}); it != taken.cend())
                out.refusal = sameAsLine(clash, *it);
            if (!out.refusal.isEmpty())
                continue;
        } else {
            QString made;
            do
                made = borrowers::generateProfileId(random);
            while (existing.contains(made) || given.contains(FoldedKey{made}) ||
                   taken.contains(FoldedKey{made}));
            plan.made.append(made);
            id = plan.made.constLast();
        }
        taken.insert(FoldedKey{id}, row.line);
        out.fileName = id;
    }
    return plan;
}

std::vector<ImportWrite> applyImport(const QString& folder, const ImportPlan& plan,
                                     const std::function<void(qsizetype)>& progress) {
    std::vector<ImportWrite> written;
    const FolderNames existing(folder);
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
            clash[i] = existing.contains(group[i]->fileName);
            if (!clash[i])
                made.push_back({group[i]->fileName.toString(), plan.recordLines(*group[i])});
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
