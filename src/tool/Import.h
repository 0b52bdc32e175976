#pragma once

#include "borrowers/Borrowers.h"
#include "records/Paths.h"
#include "records/RecordFile.h"
#include "tool/Csv.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <functional>
#include <vector>

namespace quillory::tool {

// One data row of an import: either a record to create or the reason it is refused. The nth row
// of a plan is the nth data row of its file.
struct ImportRow {
    qsizetype line = 0;
    QStringView fileName; // the item file name or Profile ID of an accepted row, while its plan is
    QString refusal;      // why the row is refused, in the dialogs' own words; empty when accepted
    bool accepted() const { return refusal.isEmpty(); }
};

struct ImportPlan {
    QString error;       // why nothing of the file can be imported (a required column is missing)
    QStringList ignored; // header names of columns the import does not know
    std::vector<ImportRow> rows;
    bool ok() const { return error.isEmpty(); }
    qsizetype acceptedCount() const;
    // A field of a row as read, an absent column given its default (items: 0 title, 1 language,
    // 2 price, 3 serial number, 4 publisher; borrowers: 0 name, 1 home, 2 cell).
    QStringView field(const ImportRow& row, int index) const;
    // The title or the borrower's name, to name the row in a report.
    QStringView label(const ImportRow& row) const { return field(row, 0); }
    // The record an accepted row creates, made when it is written: a dry run keeps no records.
    QStringList recordLines(const ImportRow& row) const;

    bool items = true;
    QString sessionDate;
    CsvTable source; // shares the file's text, which the rows' texts are views of
    std::array<int, 5> columns{-1, -1, -1, -1, -1};
    std::array<QStringView, 5> defaults;
    QStringList made; // the names the plan made (file names with replaced characters, new IDs)
};

// Items: columns Title and Price are required; Language, Serial Number and Publisher, when
// absent, take the New Item dialog's initial texts ("English", "N.A.", "N.A."). Each row passes
// the dialog's checks in order, then the file-name rule against the folder and against the rows
// above it, letter case ignored. Accepted rows are "Available" records created on sessionDate.
ImportPlan planItemImport(const Folders& folders, const CsvTable& table, const QString& sessionDate,
                          const QLocale& locale);

// Borrowers: columns Name, Home and Cell are required. A row with a Profile ID keeps it when it
// has the generator's form and is not in use (letter case ignored, rows above included); a row
// without one is given a new ID by the program's generator. The loan count is always "0": the
// imported borrowers have nothing on loan in these folders.
ImportPlan planBorrowerImport(const Folders& folders, const CsvTable& table,
                              const borrowers::UnitSource& random);

struct ImportWrite {
    const ImportRow* row = nullptr;
    records::Result<> result; // WriteFailed with a detail when the file had appeared meanwhile
};

// Writes every accepted row as a new record in folder, each atomically; a record whose file
// has come into existence since the plan was made is left alone and reported.
std::vector<ImportWrite> applyImport(const QString& folder, const ImportPlan& plan,
                                     const std::function<void(qsizetype)>& progress = {});

} // namespace quillory::tool
