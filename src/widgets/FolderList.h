#pragma once

#include "records/RecordFile.h"

#include <QAbstractListModel>
#include <QListView>

namespace quillory {

// The names of one folder's records, sorted without regard to case.
class FolderListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    void setListing(records::FolderListing listing);
    const QStringList& names() const { return m_listing.names; }
    const records::FolderListing& listing() const { return m_listing; }
    // Row of the first name starting with the text, case ignored; -1 when none.
    int firstWithPrefix(const QString& text) const;
    int rowOf(const QString& name) const;

private:
    records::FolderListing m_listing;
};

// A list of the records of one folder: the files whose names have no dot. One widget for every
// such list of the program, smooth with 100,000 names (one model, no widget or stat per row).
class FolderList : public QListView {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // Points the list at a folder and reads it; false (and an empty list) when the folder does
    // not exist. The selection stays on the same name when that name is still there.
    bool setFolder(const QString& path);
    // Shows the same folder and names as another list, without reading the folder again.
    void copyFrom(const FolderList& other);
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
    // Any mouse press, with the button; a right press does not change the selection.
    void pressed(Qt::MouseButton button, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyListing(records::FolderListing listing);

    FolderListModel m_model;
    records::ListingCache m_cache;
    QString m_folder;
    bool m_found = false;
};

} // namespace quillory
