#pragma once

#include "records/Paths.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace quillory::tool {

// One inconsistency of the three data folders, with the file(s) concerned.
struct Finding {
    QString kind; // a short fixed key ("loan-without-record", "count-differs", ...)
    QString text; // one line for the person reading it
    QStringList files;
};

// Reads every record once and reports what does not agree: items on loan without their loan
// record, loan records without their item or borrower, counts and loan lists that differ from
// the loan records, damaged records, names that differ only in letter case, and what a stopped
// write or change left behind.
std::vector<Finding> checkLibrary(const Folders& folders,
                                  const std::function<void(qsizetype, qsizetype)>& progress = {});

// Repairs what the files decide unambiguously, through the same all-or-nothing writes as a loan:
// first a recorded change is finished exactly as the program's next start would, then loans and
// returns stopped part-way are finished, then counts and loan lists are rebuilt from the loan
// records. Each change made is described in `changes`. What needs a person is left alone.
void repairLibrary(const Folders& folders, const QString& sessionDate, QStringList& changes);

} // namespace quillory::tool
