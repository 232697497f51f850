// The results step every finder runs per record: a row in the all-records
// list and its export line; unless the point is already in the unique list,
// a row there and its export line; then the row counts in the tab captions.
#pragma once

#include <span>
#include <string>

#include "records/Record.h"

namespace records {

// The header line of both export texts (names with their spaces).
extern const std::string EnteteTabule;

// Carriage return, then the nine texts joined by tabs; nothing at the end.
std::string RecordLine(const RecordTexts& r);

// What the step writes to. Lists are 0 (every record) and 1 (unique).
class ResultsHost {
 public:
  virtual ~ResultsHost() = default;
  // Shows a record in the details panel.
  virtual void ShowRecord(const RecordTexts& r) = 0;
  // Appends rows to a list, in one insertion.
  virtual void AppendRows(int list, std::span<const RecordTexts* const> rows) = 0;
  // dejaTrouve: the unique list holds a row with these column 2 and 3 texts.
  virtual bool UniqueHolds(const std::string& lon1, const std::string& lat1) = 0;
  virtual std::string& Pressepapier(int i) = 0;
  virtual void NameTab(int mode) = 0;
};

// Which lists the step fills: both with the duplicate rule and the
// captions, or the all-records list and its export text alone (the hidden
// file button's run).
enum class Lists { Both, AllRecordsOnly };

// The step for a batch of records, equal in its results to running it on
// each record in turn: the panel ends on the batch's last record and the
// captions are set once.
void ajoutePoints(ResultsHost& host, std::span<const RecordTexts> batch, Lists lists = Lists::Both);
inline void ajoutePoint(ResultsHost& host, const RecordTexts& r) { ajoutePoints(host, {&r, 1}); }

// After a run's last record: the header in front of both export texts.
void ClosingStep(ResultsHost& host);

}  // namespace records
