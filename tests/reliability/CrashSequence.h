#pragma once

#include "lending/Lending.h"
#include "records/ItemRecord.h"
#include "records/Paths.h"

#include <QDir>
#include <QStringList>

// The loans and returns the crash-safety test runs in a child process and kills at random
// instants. Shared by the child and the test, which replays the same sequence to know what every
// file holds before and after each step.
namespace quillory::test::crash {

inline const QString kSessionDate = QStringLiteral("Saturday, December 05, 2026");
inline const QString kFirst = QStringLiteral("4821937Q");
inline const QString kSecond = QStringLiteral("1234567A");

struct Op {
    bool lend;
    QString title; // line 1 of the item record
    QString profileId;
    QString fileName() const { return records::itemFileName(title); }
};

// Three titles (one whose file name differs from its title), two borrowers; a cycle of six steps.
inline Op opAt(int index) {
    static const Op cycle[] = {
        {true, QStringLiteral("Dune"), kFirst},
        {true, QStringLiteral("Emma"), kFirst},
        {true, QStringLiteral("Gone with the Wind (2nd ed.)"), kSecond},
        {false, QStringLiteral("Emma"), kFirst},
        {false, QStringLiteral("Dune"), kFirst},
        {false, QStringLiteral("Gone with the Wind (2nd ed.)"), kSecond},
    };
    return cycle[index % 6];
}

inline Folders foldersIn(const QString& programFolder) {
    const QString base = programFolder + QLatin1Char('/');
    return Folders{base + QStringLiteral("profiles/"), base + QStringLiteral("stats/"),
                   base + QStringLiteral("loaned/")};
}

// Runs one step; true when it did all it should.
inline bool runOp(const Folders& f, const Op& op) {
    if (op.lend)
        return lending::lend(f, op.fileName(), op.profileId, kSessionDate).outcome ==
               lending::LendOutcome::Lent;
    return lending::returnItem(f, op.fileName(), op.profileId, kSessionDate).outcome ==
           lending::ReturnOutcome::Returned;
}

} // namespace quillory::test::crash
