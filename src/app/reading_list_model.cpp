#include "app/reading_list_model.h"

#include "history/log_format.h"
#include "history/windows1252.h"

namespace {

QString fromWindows1252(const std::string& text) {
    const std::u16string wide = windows1252ToUtf16(text);
    return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

}  // namespace

ReadingListModel::ReadingListModel(const ReadingList& list, TagEditHandler onTagEdit,
                                   QObject* parent)
    : QAbstractTableModel(parent),
      list_(list),
      onTagEdit_(std::move(onTagEdit)),
      shownRows_(static_cast<int>(list.rowCount())) {}

int ReadingListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shownRows_;
}

int ReadingListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReadingListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shownRows_) return {};
    const ReadingRow& row = list_.row(static_cast<std::size_t>(index.row()));
    // The tag column is narrow: a tagged row shows its whole tag on hovering.
    if (role == Qt::ToolTipRole) return row.tag.empty() ? QVariant() : fromWindows1252(row.tag);
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return fromWindows1252(index.column() == TagColumn ? row.tag : row.text);
}

QString ReadingListModel::logLine(int row) const {
    if (row < 0 || row >= shownRows_) return {};
    return fromWindows1252(formatLogLine(list_.row(static_cast<std::size_t>(row))));
}

Qt::ItemFlags ReadingListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == TagColumn) f |= Qt::ItemIsEditable;
    return f;
}

bool ReadingListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != TagColumn || role != Qt::EditRole) return false;
    if (onTagEdit_) onTagEdit_(static_cast<std::size_t>(index.row()), value.toString());
    Q_EMIT dataChanged(index, index);
    return true;
}

void ReadingListModel::rowsAppended() {
    const int rows = static_cast<int>(list_.rowCount());
    if (rows < shownRows_) {
        reload();
        return;
    }
    if (rows == shownRows_) return;
    beginInsertRows({}, shownRows_, rows - 1);
    shownRows_ = rows;
    endInsertRows();
}

void ReadingListModel::reload() {
    beginResetModel();
    shownRows_ = static_cast<int>(list_.rowCount());
    endResetModel();
}

void ReadingListModel::tagChanged(std::size_t row) {
    const QModelIndex i = index(static_cast<int>(row), TagColumn);
    Q_EMIT dataChanged(i, i);
}
