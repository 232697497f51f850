#include "Listbox.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QThreadPool>
#include <algorithm>

namespace fw {

void ReleaseInBackground(std::shared_ptr<void> p) {
  if (!p) return;
  QThreadPool::globalInstance()->start([p = std::move(p)]() mutable { p.reset(); });
}

// Store rows counted by the texts of two of their cells. Entries are split
// over many small tables by the top bits of their hash, each grown on its
// own: a growth step moves a few thousand entries, never the whole index.
// Entries name store rows, whose cells never change, so an entry's key
// stays what it was when it went in.
class ListModel::KeyIndex {
 public:
  KeyIndex(const RowStore& store, int a, int b) : store_(store), a_(a), b_(b) {}

  static uint32_t hash(std::string_view a, std::string_view b) {
    // FNV-1a over the first text's length, then both texts.
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](unsigned char c) { h = (h ^ c) * 1099511628211ull; };
    for (size_t n = a.size();; n >>= 8) {
      mix(static_cast<unsigned char>(n & 0xFF));
      if (n <= 0xFF) break;
    }
    for (char c : a) mix(static_cast<unsigned char>(c));
    for (char c : b) mix(static_cast<unsigned char>(c));
    return static_cast<uint32_t>(h ^ (h >> 32));
  }
  bool holds(std::string_view a, std::string_view b) const {
    const uint32_t h = hash(a, b);
    const Shard& s = shards_[h >> 24];
    return !s.table.empty() && s.table[find(s, h, a, b)].count > 0;
  }
  // Counts `row` in; with `onlyNew`, only when no row of its key is counted
  // (false then, and nothing counted). The allocation it may need happens
  // before anything changes.
  bool add(RowStore::Id row, bool onlyNew) {
    const std::string_view a = store_.cell(row, a_), b = store_.cell(row, b_);
    const uint32_t h = hash(a, b);
    Shard& s = shards_[h >> 24];
    if (s.table.empty() || (s.filled + 1) * 4 > s.table.size() * 3) grow(s);
    Entry& e = s.table[find(s, h, a, b)];
    if (e.count > 0) {
      if (onlyNew) return false;
      ++e.count;
      return true;
    }
    if (e.row == kEmpty) ++s.filled;
    e = {h, row, 1};
    return true;
  }
  void remove(RowStore::Id row) {
    const std::string_view a = store_.cell(row, a_), b = store_.cell(row, b_);
    const uint32_t h = hash(a, b);
    Shard& s = shards_[h >> 24];
    if (s.table.empty()) return;
    Entry& e = s.table[find(s, h, a, b)];
    if (e.count > 0 && --e.count == 0) e.row = kDeleted;
  }

 private:
  static constexpr RowStore::Id kEmpty = 0xFFFFFFFF, kDeleted = 0xFFFFFFFE;
  struct Entry {
    uint32_t hash = 0;
    RowStore::Id row = kEmpty;
    uint32_t count = 0;
  };
  struct Shard {
    std::vector<Entry> table;
    size_t filled = 0;  // table not empty, deleted ones included
  };
  // The entry of this key, or the slot where it would go (the first deleted
  // one met, else the empty one that ends the probe).
  size_t find(const Shard& s, uint32_t h, std::string_view a, std::string_view b) const {
    const size_t mask = s.table.size() - 1;
    size_t free = SIZE_MAX;
    for (size_t i = h & mask;; i = (i + 1) & mask) {
      const Entry& e = s.table[i];
      if (e.row == kEmpty) return free != SIZE_MAX ? free : i;
      if (e.count == 0) {
        if (free == SIZE_MAX) free = i;
      } else if (e.hash == h && store_.cell(e.row, a_) == a && store_.cell(e.row, b_) == b) {
        return i;
      }
    }
  }
  static void grow(Shard& s) {
    size_t live = 0;
    for (const Entry& e : s.table) live += e.count > 0;
    std::vector<Entry> bigger(std::max<size_t>(16, s.table.size() * (live * 2 > s.table.size() ? 2 : 1)));
    const size_t mask = bigger.size() - 1;
    for (const Entry& e : s.table) {
      if (e.count == 0) continue;
      size_t i = e.hash & mask;
      while (bigger[i].row != kEmpty) i = (i + 1) & mask;
      bigger[i] = e;
    }
    s.table = std::move(bigger);
    s.filled = live;
  }

  const RowStore& store_;
  int a_, b_;
  std::array<Shard, 256> shards_;
};

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
