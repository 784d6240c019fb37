#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "history/reading_list.h"

// The reading list as a two-column table for the list view: the reading text,
// then the tag. The rows live in the core ReadingList; this model only shows
// them and is told when they change. A finished tag edit goes to the handler,
// which decides what becomes of it.
class ReadingListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { TextColumn = 0, TagColumn = 1, ColumnCount = 2 };
    using TagEditHandler = std::function<void(std::size_t row, const QString& text)>;

    ReadingListModel(const ReadingList& list, TagEditHandler onTagEdit, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // The list grew by rows at its end, or changed as a whole (cleared, loaded).
    void rowsAppended();
    void reload();
    // A row's tag was set from outside the editor.
    void tagChanged(std::size_t row);
    // The row as its log line: the reading text, then "," and the tag.
    QString logLine(int row) const;

  private:
    const ReadingList& list_;
    TagEditHandler onTagEdit_;
    int shownRows_ = 0;
};
