#include "items/ItemView.h"

#include <QDir>

namespace quillory::items {

ItemView viewItem(const QString& path) {
    ItemView view;
    const records::Result<records::ItemRecord> read = records::readItem(path, records::kItemLines);
    if (!read.ok()) {
        view.gone = read.error().code == records::FileError::Missing;
        view.problem = QStringLiteral("The item record \"%1\" cannot be shown: %2.")
                           .arg(QDir::toNativeSeparators(path), records::errorText(read.error()));
        return view;
    }
    view.record = read.value();
    return view;
}

RemovalStep removalStep(const ItemView& shown) {
    if (shown.gone)
        return RemovalStep::ReportGone;
    return shown.record && shown.record->isAvailable() ? RemovalStep::Ask : RemovalStep::Nothing;
}

} // namespace quillory::items
