#pragma once

#include "records/FolderIndex.h"

#include <QAbstractListModel>
#include <QListView>
#include <memory>

namespace quillory {

// The names of one folder's records, sorted without regard to case: a view of the folder's
// index, which every list of the same folder shares, so each name is held once.
class FolderListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Shows the index (null: nothing), following its changes from now on.
    void setIndex(std::shared_ptr<records::FolderIndex> index);
    records::FolderIndex* folderIndex() const { return m_index.get(); }
    QStringList names() const { return m_index ? m_index->names() : QStringList(); }
    QString nameAt(int row) const;
    // Row of the first name starting with the text, case ignored; -1 when none.
    int firstWithPrefix(const QString& text) const;
    int rowOf(const QString& name) const;

private:
    std::shared_ptr<records::FolderIndex> m_index;
};

// A list of the records of one folder: the files whose names have no dot. One widget for every
// such list of the program, smooth with 300,000 names (one model, no widget or stat per row).
class FolderList : public QListView {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // Points the list at a folder and brings it up to date; false (and an empty list) when the
    // folder does not exist. Lists of the same folder share one listing. Cheap when nothing
    // changed: only the changes made since are read. The selection stays on the same name when
    // that name is still there.
    bool setFolder(const QString& path);
    bool reread();
    QString folder() const { return m_folder; }
    bool folderFound() const { return m_found; }

    int count() const;
    QStringList names() const { return m_model.names(); }
    // The selected name; empty when nothing is selected.
    QString selectedFileName() const;
    bool selectName(const QString& name);
    // Selects the first name that starts with the text, case ignored; false (selection
    // unchanged) when no name does.
    bool selectByPrefix(const QString& text);
    void clearSelectedName();

Q_SIGNALS:
    // The user picked an entry: a left or middle press, or a keyboard move (a click).
    void picked();
    // A double-click on an entry.
    void pickedTwice();
    // Any mouse press, with the button; a right press, or one beside the names, does not change
    // the selection.
    void pressed(Qt::MouseButton button, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    FolderListModel m_model;
    QString m_folder;
    QString m_keepAcrossReset;
    bool m_found = false;
};

} // namespace quillory
