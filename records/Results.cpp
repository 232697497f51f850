#include "Results.h"

#include <unordered_set>
#include <vector>

#include "framework/core/Text.h"

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

void ajoutePoints(ResultsHost& host, std::span<const RecordTexts> batch, Lists lists) {
  if (batch.empty()) return;
  host.ShowRecord(batch.back());
  std::vector<const RecordTexts*> all, unique;
  all.reserve(batch.size());
  // Points first met in this batch are not in the list yet.
  std::unordered_set<std::string> newPoints;
  std::string& text0 = host.Pressepapier(0);
  std::string& text1 = host.Pressepapier(1);
  for (const RecordTexts& r : batch) {
    all.push_back(&r);
    const std::string line = RecordLine(r);
    text0 += line;
    if (lists == Lists::AllRecordsOnly) continue;
    const std::string& lon = r.text[kLon1];
    const std::string& lat = r.text[kLat1];
    std::string key = fw::PairKey(lon, lat);
    if (newPoints.count(key) || host.UniqueHolds(lon, lat)) continue;
    newPoints.insert(std::move(key));
    unique.push_back(&r);
    text1 += line;
  }
  host.AppendRows(0, all);
  if (lists == Lists::AllRecordsOnly) return;
  if (!unique.empty()) host.AppendRows(1, unique);
  host.NameTab(1);
}

void ClosingStep(ResultsHost& host) {
  host.Pressepapier(0) = EnteteTabule + host.Pressepapier(0);
  host.Pressepapier(1) = EnteteTabule + host.Pressepapier(1);
}

}  // namespace records
