#pragma once

#include "records/ItemRecord.h"

#include <QString>
#include <optional>

namespace quillory::items {

// What the item panel shows for the selected record. A damaged record shows no values of its
// own and none of another record; problem names the file and what is wrong with it.
struct ItemView {
    std::optional<records::ItemRecord> record; // none when the record cannot be read
    QString problem;
    bool gone = false; // the file is no longer there
};

// Reads the first seven lines of the record at path, as the item panel shows them.
ItemView viewItem(const QString& path);

// What the removal of the selected item does once it has been shown again.
enum class RemovalStep {
    Ask,        // the question, then the deletion
    ReportGone, // the file went meanwhile: say so and re-read the list
    Nothing     // the item may not be removed (on loan or damaged)
};
RemovalStep removalStep(const ItemView& shown);

} // namespace quillory::items
