#include "Results.h"

#include <sys/mman.h>

#include <new>

#include "framework/core/Text.h"
#include "records/Search.h"

namespace records {

const std::string EnteteTabule =
    "Précision\tType\tLongitude 1\tLatitude 1\tLongitude 2\tLatitude 2\tAdresse 1\tAdresse 2\tAdresse 3";

std::string RecordLine(const RecordTexts& r) {
  std::string line = "\r";
  for (int c = 0; c < kFieldCount; ++c) {
    if (c > 0) line += '\t';
    line += r.text[c];
  }
  return line;
}

// ---- ExportView ------------------------------------------------------------

size_t ExportView::bytes() const {
  size_t n = headers_ * EnteteTabule.size() + text_.size();
  for (size_t r = 0; r < rows_.size(); ++r) {
    n += kFieldCount;  // the carriage return and the tabs
    for (int c = 0; c < kFieldCount; ++c) n += store_->cell(rows_[r], c).size();
  }
  return n;
}

void ExportView::writeRows(std::string& out) const {
  for (size_t r = 0; r < rows_.size(); ++r) {
    out += '\r';
    for (int c = 0; c < kFieldCount; ++c) {
      if (c > 0) out += '\t';
      out += store_->cell(rows_[r], c);
    }
  }
}

std::string ExportView::str() const {
  std::string out;
  out.reserve(bytes());
  for (size_t h = 0; h < headers_; ++h) out += EnteteTabule;
  out += text_;
  writeRows(out);
  return out;
}

std::string ExportView::withHeader() const {
  if (empty()) return {};
  bool hasHeader = headers_ > 0;
  if (!hasHeader && text_.size() >= EnteteTabule.size())
    hasHeader = text_.compare(0, EnteteTabule.size(), EnteteTabule) == 0;
  // Text shorter than the header that begins it, with row lines after:
  // those start with a carriage return, which no header holds.
  if (hasHeader) return str();
  std::string out;
  out.reserve(EnteteTabule.size() + bytes());
  out += EnteteTabule;
  out += text_;
  writeRows(out);
  return out;
}

void ExportView::clear() {
  headers_ = 0;
  std::string().swap(text_);
  rows_ = {};
  store_.reset();
}

std::shared_ptr<void> ExportView::takeStore() {
  auto held = std::make_shared<std::pair<std::shared_ptr<const fw::RowStore>, fw::ChunkedVector<fw::RowStore::Id>>>(
      std::move(store_), std::move(rows_));
  clear();
  return held;
}

void ExportView::append(const std::shared_ptr<const fw::RowStore>& store, std::span<const fw::RowStore::Id> rows) {
  if (rows.empty()) return;
  rows_.reserveMore(rows.size());
  if (store != store_) {
    if (!rows_.empty()) {
      // Rows of another store: their lines become text of their own.
      std::string lines;
      writeRows(lines);
      text_ += lines;
      rows_ = {};
      rows_.reserveMore(rows.size());
    }
    store_ = store;
  }
  for (fw::RowStore::Id id : rows) rows_.push_back(id);
}

// ---- the step ----------------------------------------------------------------

namespace {
// Address space the batch and the views' own growth may need: the list
// views keep a few bytes per row and grow that in one step, which must not
// be where memory runs out (the toolkit does not survive it). Mapped as the
// allocator maps a block this large, and never touched: asking costs the
// same whatever the size.
void tryRoomFor(size_t rowsHeld) {
  const size_t bytes = (size_t{32} << 20) + rowsHeld * 32;
  void* p = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  ::munmap(p, bytes);
}
}  // namespace

void ajoutePoints(ResultsHost& host, std::span<const RecordTexts> batch, Lists lists) {
  if (batch.empty()) return;
  const std::shared_ptr<fw::RowStore> store = host.Store();
  // Tried again each time the store passes a multiple of a batch's rows:
  // what is added in between is far below the margin tried.
  const size_t held = store->size();
  if (held == 0 || held / kBatch != (held + batch.size()) / kBatch) tryRoomFor(held);
  // Every allocation of the step comes before anything shows the batch.
  store->reserveRows(batch.size());
  std::vector<fw::RowStore::Id> all, unique;
  all.reserve(batch.size());
  for (const RecordTexts& r : batch)
    all.push_back(store->append([&r](int c) { return std::string_view(r.text[static_cast<size_t>(c)]); }));
  const bool both = lists == Lists::Both;
  host.Pressepapier(0).reserveMore(all.size());
  if (both) {
    host.Pressepapier(1).reserveMore(all.size());
    host.AppendNewPoints(all, unique);
  }
  host.AppendRows(all);
  host.Pressepapier(0).append(store, all);
  if (both) host.Pressepapier(1).append(store, unique);
  host.ShowRecord(batch.back());
  if (both) host.NameTab(1);
}

void ClosingStep(ResultsHost& host) {
  host.Pressepapier(0).putHeaderInFront();
  host.Pressepapier(1).putHeaderInFront();
}

}  // namespace records
