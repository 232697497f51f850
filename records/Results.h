// The results step every finder runs per record: a row in the all-records
// list and its export line; unless the point is already in the unique list,
// a row there and its export line; then the row counts in the tab captions.
// A record's nine texts are stored once, in the store both lists show; the
// export texts are made of the same stored rows and written out when read.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "framework/core/RowStore.h"
#include "records/Record.h"

namespace records {

// The header line of both export texts (names with their spaces).
extern const std::string EnteteTabule;

// Carriage return, then the nine texts joined by tabs; nothing at the end.
std::string RecordLine(const RecordTexts& r);

// One export text: the headers put in front, text given as such, then the
// lines of stored rows. It is written out only when read.
class ExportView {
 public:
  ExportView() = default;
  ExportView(std::string text) : text_(std::move(text)) {}
  ExportView(const char* text) : text_(text) {}

  // The text, as one string.
  std::string str() const;
  // The text with EnteteTabule in front unless it is empty or starts with
  // it already, written straight into the result.
  std::string withHeader() const;
  bool empty() const { return headers_ == 0 && text_.empty() && rows_.empty(); }
  void clear();
  // Adds the lines of these rows of `store`. Nothing changes when an
  // allocation fails.
  void append(const std::shared_ptr<const fw::RowStore>& store, std::span<const fw::RowStore::Id> rows);
  // Room for n more rows, so that append of as many allocates nothing.
  void reserveMore(size_t n) { rows_.reserveMore(n); }
  // Puts EnteteTabule in front of the whole text.
  void putHeaderInFront() { ++headers_; }
  // What it holds, for a worker thread to free.
  std::shared_ptr<void> takeStore();

 private:
  size_t headers_ = 0;
  std::string text_;
  std::shared_ptr<const fw::RowStore> store_;
  fw::ChunkedVector<fw::RowStore::Id> rows_;
  void writeRows(std::string& out) const;
  size_t bytes() const;
};

// App.Pressepapier: the two export texts, read as strings.
class ExportViews {
 public:
  std::string operator[](size_t i) const { return views_[i].str(); }
  static constexpr size_t size() { return 2; }
  ExportViews& operator=(const std::array<std::string, 2>& texts) {
    views_ = {ExportView(texts[0]), ExportView(texts[1])};
    return *this;
  }
  ExportView& view(size_t i) { return views_[i]; }
  const ExportView& view(size_t i) const { return views_[i]; }

  struct Iterator {
    const ExportViews* v;
    size_t i;
    std::string operator*() const { return (*v)[i]; }
    Iterator& operator++() { return ++i, *this; }
    bool operator!=(const Iterator& o) const { return i != o.i; }
  };
  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, 2}; }

 private:
  std::array<ExportView, 2> views_;
};

// What the step writes to.
class ResultsHost {
 public:
  virtual ~ResultsHost() = default;
  // Shows a record in the details panel.
  virtual void ShowRecord(const RecordTexts& r) = 0;
  // The store both lists show their rows from.
  virtual std::shared_ptr<fw::RowStore> Store() = 0;
  // Appends stored rows to the all-records list, in one insertion.
  virtual void AppendRows(std::span<const fw::RowStore::Id> rows) = 0;
  // dejaTrouve, row by row: appends to the unique list, in one insertion,
  // the rows whose column 2 and 3 texts it holds in no row yet; returns them.
  virtual void AppendNewPoints(std::span<const fw::RowStore::Id> rows, std::vector<fw::RowStore::Id>& added) = 0;
  virtual ExportView& Pressepapier(int i) = 0;
  virtual void NameTab(int mode) = 0;
};

// Which lists the step fills: both with the duplicate rule and the
// captions, or the all-records list and its export text alone (the hidden
// file button's run).
enum class Lists { Both, AllRecordsOnly };

// The step for a batch of records, equal in its results to running it on
// each record in turn: the panel ends on the batch's last record and the
// captions are set once. When memory runs short it throws std::bad_alloc
// before anything shows the batch: memory for the batch, and for the
// windows' own bookkeeping of the rows held, is tried first.
void ajoutePoints(ResultsHost& host, std::span<const RecordTexts> batch, Lists lists = Lists::Both);
inline void ajoutePoint(ResultsHost& host, const RecordTexts& r) { ajoutePoints(host, {&r, 1}); }

// After a run's last record: the header in front of both export texts.
void ClosingStep(ResultsHost& host);

}  // namespace records
