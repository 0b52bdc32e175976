#include "widgets/FolderList.h"

#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace quillory {

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_index ? 0 : int(m_index->count());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_index || index.row() >= m_index->count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_index->nameAt(index.row()).toString();
    return {};
}

void FolderListModel::setIndex(std::shared_ptr<records::FolderIndex> index) {
    beginResetModel();
    if (m_index)
        m_index->disconnect(this);
    m_index = std::move(index);
    if (records::FolderIndex* i = m_index.get()) {
        using records::FolderIndex;
        connect(i, &FolderIndex::aboutToReset, this, [this] { beginResetModel(); });
        connect(i, &FolderIndex::wasReset, this, [this] { endResetModel(); });
        connect(i, &FolderIndex::aboutToInsert, this,
                [this](int row) { beginInsertRows({}, row, row); });
        connect(i, &FolderIndex::inserted, this, [this] { endInsertRows(); });
        connect(i, &FolderIndex::aboutToRemove, this,
                [this](int row) { beginRemoveRows({}, row, row); });
        connect(i, &FolderIndex::removed, this, [this] { endRemoveRows(); });
    }
    endResetModel();
}

QString FolderListModel::nameAt(int row) const {
    return m_index && row >= 0 && row < m_index->count() ? m_index->nameAt(row).toString()
                                                         : QString();
}

int FolderListModel::firstWithPrefix(const QString& text) const {
    return m_index ? int(m_index->firstWithPrefix(text)) : -1;
}

int FolderListModel::rowOf(const QString& name) const {
    return m_index ? int(m_index->rowOf(name)) : -1;
}

FolderList::FolderList(QWidget* parent) : QListView(parent) {
    setModel(&m_model);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setLayoutMode(QListView::SinglePass);
    // Rows added or removed keep the selection on its name by themselves; a full re-read
    // finds the name again.
    connect(&m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_keepAcrossReset = selectedFileName(); });
    connect(&m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (!m_keepAcrossReset.isEmpty())
            selectName(m_keepAcrossReset);
        m_keepAcrossReset.clear();
    });
}

bool FolderList::setFolder(const QString& path) {
    m_folder = path;
    return reread();
}

bool FolderList::reread() {
    if (m_folder.isEmpty()) {
        m_model.setIndex(nullptr);
        m_found = false;
        return false;
    }
    const records::FolderIndex* shown = m_model.folderIndex();
    if (!shown || shown->folder() != QDir::cleanPath(m_folder))
        m_model.setIndex(records::FolderIndex::of(m_folder));
    m_found = m_model.folderIndex()->update();
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
    return m_model.nameAt(rows.first().row());
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
    const bool onName = indexAt(event->position().toPoint()).isValid();
    // A press below the last name keeps the selection, as a right press does.
    if (button != Qt::RightButton && onName)
        QListView::mousePressEvent(event);
    else
        event->accept();
    Q_EMIT pressed(button, event->globalPosition().toPoint());
    if (button != Qt::RightButton && onName)
        Q_EMIT picked();
}

void FolderList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid())
        Q_EMIT pickedTwice();
}

void FolderList::focusInEvent(QFocusEvent* event) {
    // The view makes its first row current when it gets the focus with none, which draws that
    // row as if it were picked. Nothing looks selected until something is; the arrow keys still
    // start from the top.
    const bool none = !currentIndex().isValid();
    QListView::focusInEvent(event);
    if (none && selectedFileName().isEmpty())
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    const QString before = selectedFileName();
    QListView::keyPressEvent(event);
    const QString after = selectedFileName();
    if (!after.isEmpty() && after != before)
        Q_EMIT picked();
}

} // namespace quillory
