#include "widgets/FolderList.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace quillory {

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_listing.names.size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_listing.names.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_listing.names.at(index.row());
    return {};
}

void FolderListModel::setListing(records::FolderListing listing) {
    beginResetModel();
    m_listing = std::move(listing);
    endResetModel();
}

int FolderListModel::firstWithPrefix(const QString& text) const {
    const QString key = text.toCaseFolded();
    const QStringList& keys = m_listing.keys;
    // Keys are sorted, so every key starting with the prefix follows the lower bound directly.
    const auto it =
        std::lower_bound(keys.cbegin(), keys.cend(), key, [](const QString& a, const QString& b) {
            return QStringView(a).compare(QStringView(b)) < 0;
        });
    if (it == keys.cend() || !it->startsWith(key))
        return -1;
    return int(it - keys.cbegin());
}

int FolderListModel::rowOf(const QString& name) const {
    const QString key = name.toCaseFolded();
    const QStringList& keys = m_listing.keys;
    auto it =
        std::lower_bound(keys.cbegin(), keys.cend(), key, [](const QString& a, const QString& b) {
            return QStringView(a).compare(QStringView(b)) < 0;
        });
    for (; it != keys.cend() && *it == key; ++it) {
        const int row = int(it - keys.cbegin());
        if (m_listing.names.at(row) == name)
            return row;
    }
    return -1;
}

FolderList::FolderList(QWidget* parent) : QListView(parent) {
    setModel(&m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setLayoutMode(QListView::SinglePass);
}

void FolderList::applyListing(records::FolderListing listing) {
    // The same listing as shown (the folder did not change): keep the model and the selection.
    if (listing.names.isSharedWith(m_model.names()) && !listing.names.isEmpty())
        return;
    const QString keep = selectedFileName();
    m_model.setListing(std::move(listing));
    if (!keep.isEmpty())
        selectName(keep);
}

bool FolderList::setFolder(const QString& path) {
    m_folder = path;
    return reread();
}

void FolderList::copyFrom(const FolderList& other) {
    m_folder = other.m_folder;
    m_found = other.m_found;
    const QString keep = selectedFileName();
    m_model.setListing(other.m_model.listing()); // implicitly shared, nothing is copied
    if (!keep.isEmpty())
        selectName(keep);
}

bool FolderList::reread() {
    std::optional<records::FolderListing> listing;
    if (!m_folder.isEmpty())
        listing = records::RecordFile::list(m_folder, &m_cache);
    m_found = listing.has_value();
    applyListing(listing ? std::move(*listing) : records::FolderListing{});
    return m_found;
}

int FolderList::count() const {
    return m_model.rowCount();
}

QString FolderList::selectedFileName() const {
    const QModelIndexList rows =
        selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty())
        return {};
    return m_model.names().value(rows.first().row());
}

bool FolderList::selectName(const QString& name) {
    const int row = m_model.rowOf(name);
    if (row < 0)
        return false;
    const QModelIndex index = m_model.index(row);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
    return true;
}

bool FolderList::selectByPrefix(const QString& text) {
    const int row = m_model.firstWithPrefix(text);
    if (row < 0)
        return false;
    const QModelIndex index = m_model.index(row);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index, QAbstractItemView::PositionAtTop);
    return true;
}

void FolderList::clearSelectedName() {
    clearSelection();
    setCurrentIndex(QModelIndex());
}

void FolderList::mousePressEvent(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    if (button != Qt::RightButton)
        QListView::mousePressEvent(event);
    else
        event->accept();
    Q_EMIT pressed(button, event->globalPosition().toPoint());
    if (button != Qt::RightButton && indexAt(event->position().toPoint()).isValid())
        Q_EMIT picked();
}

void FolderList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        Q_EMIT pickedTwice();
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    const QString before = selectedFileName();
    QListView::keyPressEvent(event);
    const QString after = selectedFileName();
    if (!after.isEmpty() && after != before)
        Q_EMIT picked();
}

} // namespace quillory
