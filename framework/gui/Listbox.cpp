#include "Listbox.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "ReleaseInBackground.h"
#include "framework/core/KeyIndex.h"

namespace fw {

ListModel::ListModel(int columns, QObject* parent)
    : QAbstractTableModel(parent), columns_(columns), store_(std::make_shared<RowStore>(columns)) {
  newRows();
}

ListModel::~ListModel() = default;

void ListModel::newRows() {
  rows_ = std::make_shared<Rows>();
  if (indexA_ >= 0) rows_->index = std::make_unique<KeyIndex>(*store_, indexA_, indexB_);
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_->ids.size());
}
int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid()) return {};
  const std::string_view t = cellView(index.row(), index.column());
  return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
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
  std::vector<RowStore::Id> ids;
  ids.reserve(static_cast<size_t>(count));
  std::vector<std::string> cells(static_cast<size_t>(columns_));
  for (int r = 0; r < count; ++r) {
    for (int c = 0; c < columns_; ++c) cells[static_cast<size_t>(c)] = cellText(r, c);
    ids.push_back(store_->append([&](int c) { return std::string_view(cells[static_cast<size_t>(c)]); }));
  }
  appendStoredRows(ids);
}

void ListModel::appendStoredRows(std::span<const RowStore::Id> rows) {
  if (rows.empty()) return;
  Rows& r = *rows_;
  // Every allocation before the views hear of the rows.
  r.ids.reserveMore(rows.size());
  if (r.index) {
    size_t counted = 0;
    try {
      for (; counted < rows.size(); ++counted) r.index->add(rows[counted], false);
    } catch (...) {
      while (counted > 0) r.index->remove(rows[--counted]);
      throw;
    }
  }
  const int first = static_cast<int>(r.ids.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(rows.size()) - 1);
  for (RowStore::Id id : rows) r.ids.push_back(id);
  endInsertRows();
}

void ListModel::appendNewRows(std::span<const RowStore::Id> rows, std::vector<RowStore::Id>& added) {
  added.clear();
  if (rows.empty()) return;
  Rows& r = *rows_;
  added.reserve(rows.size());
  r.ids.reserveMore(rows.size());
  try {
    for (RowStore::Id id : rows)
      if (!r.index || r.index->add(id, true)) added.push_back(id);
  } catch (...) {
    if (r.index)
      for (RowStore::Id id : added) r.index->remove(id);
    added.clear();
    throw;
  }
  if (added.empty()) return;
  const int first = static_cast<int>(r.ids.size());
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(added.size()) - 1);
  for (RowStore::Id id : added) r.ids.push_back(id);
  endInsertRows();
}

std::string_view ListModel::cellView(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columns_) return {};
  return store_->cell(rows_->ids[static_cast<size_t>(row)], column);
}

std::string ListModel::cell(int row, int column) const { return std::string(cellView(row, column)); }

void ListModel::setCell(int row, int column, const std::string& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columns_) return;
  // Stored rows never change, as other lists and the export texts may
  // show them: the row becomes a new one.
  RowStore::Id& id = rows_->ids[static_cast<size_t>(row)];
  const RowStore::Id old = id;
  const RowStore::Id fresh =
      store_->append([&](int c) { return c == column ? std::string_view(text) : store_->cell(old, c); });
  if (rows_->index) {
    rows_->index->add(fresh, false);
    rows_->index->remove(old);
  }
  id = fresh;
  emit dataChanged(index(row, column), index(row, column));
}

void ListModel::clear() {
  beginResetModel();
  ReleaseInBackground(std::move(rows_));
  newRows();
  endResetModel();
}

void ListModel::setStore(std::shared_ptr<RowStore> s) {
  if (!s || s == store_) return;
  beginResetModel();
  std::vector<RowStore::Id> ids;
  const std::shared_ptr<RowStore> old = store_;
  const std::shared_ptr<Rows> oldRows = rows_;
  store_ = std::move(s);
  newRows();
  // Rows already listed move over with their texts.
  for (size_t r = 0; r < oldRows->ids.size(); ++r)
    ids.push_back(store_->append([&](int c) { return old->cell(oldRows->ids[r], c); }));
  for (RowStore::Id id : ids) {
    if (rows_->index) rows_->index->add(id, false);
    rows_->ids.push_back(id);
  }
  endResetModel();
  ReleaseInBackground(oldRows);
  ReleaseInBackground(old);
}

void ListModel::setIndexedColumns(int a, int b) {
  indexA_ = a;
  indexB_ = b;
  rows_->index = std::make_unique<KeyIndex>(*store_, a, b);
  for (size_t r = 0; r < rows_->ids.size(); ++r) rows_->index->add(rows_->ids[r], false);
}

bool ListModel::indexHolds(std::string_view a, std::string_view b) const {
  return rows_->index && rows_->index->holds(a, b);
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

void Listbox::AddRows(int count, const std::function<std::string(int, int)>& cell) { model_->appendRows(count, cell); }

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
