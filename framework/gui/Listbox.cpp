#include "Listbox.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

#include "core/Text.h"

namespace fw {

namespace {
void putLength(std::string& out, size_t n) {
  do {
    out.push_back(static_cast<char>((n & 0x7F) | (n > 0x7F ? 0x80 : 0)));
    n >>= 7;
  } while (n);
}
size_t getLength(const std::string& s, size_t& at) {
  size_t n = 0;
  for (int shift = 0;; shift += 7) {
    const auto b = static_cast<uint8_t>(s[at++]);
    n |= static_cast<size_t>(b & 0x7F) << shift;
    if (!(b & 0x80)) return n;
  }
}
// Byte range [begin, end) of a cell within a packed row.
std::pair<size_t, size_t> cellRange(const std::string& row, int column) {
  size_t at = 0;
  for (int c = 0;; ++c) {
    const size_t n = getLength(row, at);
    if (c == column) return {at, at + n};
    at += n;
  }
}
}  // namespace

ListModel::ListModel(int columns, QObject* parent) : QAbstractTableModel(parent), columns_(columns) {}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}
int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  return QString::fromStdString(cell(index.row(), index.column()));
}

QVariant ListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (role != Qt::DisplayRole || o != Qt::Horizontal || section >= headings_.size()) return {};
  return headings_[section];
}

void ListModel::setHeadings(const QStringList& h) {
  headings_ = h;
  emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

void ListModel::appendRows(int count, const std::function<std::string(int, int)>& cellText) {
  if (count <= 0) return;
  const int first = static_cast<int>(rows_.size());
  beginInsertRows(QModelIndex(), first, first + count - 1);
  // Grown geometrically: reserving the exact size on every one-row append
  // would move every row each time, and a run adds rows one by one.
  const size_t need = rows_.size() + static_cast<size_t>(count);
  if (need > rows_.capacity()) rows_.reserve(std::max(need, 2 * rows_.capacity()));
  for (int r = 0; r < count; ++r) {
    std::string row;
    for (int c = 0; c < columns_; ++c) {
      const std::string t = cellText(r, c);
      putLength(row, t.size());
      row += t;
    }
    rows_.push_back(std::move(row));
    indexRow(first + r, +1);
  }
  endInsertRows();
}

std::string ListModel::cell(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= columns_) return {};
  const auto [b, e] = cellRange(rows_[static_cast<size_t>(row)], column);
  return rows_[static_cast<size_t>(row)].substr(b, e - b);
}

void ListModel::setCell(int row, int column, const std::string& text) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= columns_) return;
  const bool indexed = column == indexA_ || column == indexB_;
  if (indexed) indexRow(row, -1);
  std::string& packed = rows_[static_cast<size_t>(row)];
  std::string rebuilt;
  for (int c = 0; c < columns_; ++c) {
    const auto [b, e] = cellRange(packed, c);
    const std::string t = c == column ? text : packed.substr(b, e - b);
    putLength(rebuilt, t.size());
    rebuilt += t;
  }
  packed = std::move(rebuilt);
  if (indexed) indexRow(row, +1);
  emit dataChanged(index(row, column), index(row, column));
}

void ListModel::clear() {
  beginResetModel();
  rows_.clear();
  rows_.shrink_to_fit();
  index_.clear();
  endResetModel();
}

void ListModel::indexRow(int row, int delta) {
  if (indexA_ < 0) return;
  const std::string k = fw::PairKey(cell(row, indexA_), cell(row, indexB_));
  auto it = index_.find(k);
  if (delta > 0) {
    ++index_[k];
  } else if (it != index_.end() && --it->second == 0) {
    index_.erase(it);
  }
}

void ListModel::setIndexedColumns(int a, int b) {
  indexA_ = a;
  indexB_ = b;
  index_.clear();
  for (int r = 0; r < static_cast<int>(rows_.size()); ++r) indexRow(r, +1);
}

bool ListModel::indexHolds(const std::string& a, const std::string& b) const {
  return indexA_ >= 0 && index_.count(fw::PairKey(a, b)) > 0;
}

Listbox::Listbox(int columns, QWidget* parent) : QTableView(parent), model_(new ListModel(columns, this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setWordWrap(false);
  verticalHeader()->hide();
  // Fixed row heights keep scrolling through a million rows cheap; the
  // height follows the list's font (changeEvent).
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { emit Change(); });
}

void Listbox::AddRow(const std::string& first) {
  model_->appendRows(1, [&](int, int c) { return c == 0 ? first : std::string(); });
}

void Listbox::AddRows(int count, const std::function<std::string(int, int)>& cell) {
  model_->appendRows(count, cell);
}

int Listbox::ListIndex() const {
  const auto rows = selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void Listbox::SetColumnWidths(const std::vector<int>& widths) {
  for (size_t c = 0; c < widths.size(); ++c) setColumnWidth(static_cast<int>(c), widths[c]);
}

void Listbox::changeEvent(QEvent* e) {
  QTableView::changeEvent(e);
  if (e->type() == QEvent::FontChange) verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

int Listbox::RowFromXY(int x, int y) const {
  const QPoint p = viewport()->mapFrom(this, QPoint(x, y));
  if (!viewport()->rect().contains(p)) return -1;
  const QModelIndex i = indexAt(p);
  return i.isValid() ? i.row() : -1;
}

void Listbox::mouseDoubleClickEvent(QMouseEvent* e) {
  QTableView::mouseDoubleClickEvent(e);
  // The row is found by the handler from where the pointer was: a
  // double-click where no row lies is raised too.
  doubleClickPoint_ = viewport()->mapTo(this, e->position().toPoint());
  emit DoubleClick();
}

}  // namespace fw
