// What a run leaves behind, captured whole so that tests can compare two
// runs or check that an action changed nothing.
#pragma once

#include <QString>
#include <array>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/App.h"
#include "framework/gui/Seams.h"
#include "records/Record.h"
#include "ui/DetailsPanel.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

namespace testing_gui {

using Row = std::vector<std::string>;

struct RunState {
  std::array<std::vector<Row>, 2> rows;  // Listbox1, Listbox2
  std::array<std::string, 2> texts;      // App.Pressepapier
  std::array<QString, 3> captions;       // TabPanel1
  std::array<std::string, records::kFieldCount> panel;
  bool operator==(const RunState&) const = default;
};

inline std::vector<Row> ListRows(const char* name) {
  fw::Listbox* list = Window2::instance()->List(name);
  std::vector<Row> out;
  for (int r = 0; r <= list->LastIndex(); ++r) {
    Row row;
    for (int c = 0; c < records::kFieldCount; ++c) row.push_back(list->Cell(r, c));
    out.push_back(std::move(row));
  }
  return out;
}

inline std::array<std::string, records::kFieldCount> Panel() {
  std::array<std::string, records::kFieldCount> out;
  for (int k = 0; k < records::kFieldCount; ++k) out[k] = Window2::instance()->Label(ui::kPanelLabels[k])->Text();
  return out;
}

inline QString Caption(int tab) { return Window2::instance()->Control<fw::TabPanel>("TabPanel1")->tabText(tab); }

inline RunState Capture() {
  RunState s;
  s.rows = {ListRows("Listbox1"), ListRows("Listbox2")};
  s.texts = {App::instance().Pressepapier[0], App::instance().Pressepapier[1]};
  s.captions = {Caption(0), Caption(1), Caption(2)};
  s.panel = Panel();
  return s;
}

// Printable escapes, so that a failure shows tabs and carriage returns.
inline std::string Visible(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\t') out += "\\t";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

// "" when equal, otherwise the first difference in words.
inline std::string Difference(const RunState& a, const RunState& b) {
  for (int l = 0; l < 2; ++l) {
    if (a.rows[l].size() != b.rows[l].size())
      return "Listbox" + std::to_string(l + 1) + " rows " + std::to_string(a.rows[l].size()) + " vs " +
             std::to_string(b.rows[l].size());
    for (size_t r = 0; r < a.rows[l].size(); ++r)
      for (int c = 0; c < records::kFieldCount; ++c)
        if (a.rows[l][r][c] != b.rows[l][r][c])
          return "Listbox" + std::to_string(l + 1) + " cell (" + std::to_string(r) + "," + std::to_string(c) + "): '" +
                 Visible(a.rows[l][r][c]) + "' vs '" + Visible(b.rows[l][r][c]) + "'";
  }
  for (int i = 0; i < 2; ++i)
    if (a.texts[i] != b.texts[i])
      return "Pressepapier(" + std::to_string(i) + "): '" + Visible(a.texts[i]) + "' vs '" + Visible(b.texts[i]) + "'";
  for (int t = 0; t < 3; ++t)
    if (a.captions[t] != b.captions[t])
      return "caption " + std::to_string(t) + ": '" + a.captions[t].toStdString() + "' vs '" +
             b.captions[t].toStdString() + "'";
  for (int k = 0; k < records::kFieldCount; ++k)
    if (a.panel[k] != b.panel[k])
      return std::string(ui::kPanelLabels[k]) + ": '" + a.panel[k] + "' vs '" + b.panel[k] + "'";
  return {};
}

// A record's texts spelled out here, as the main window shows them, rather
// than asked of the decoder: the tests' own oracle.
inline std::string PrecisionText(int code) {
  const char* names[] = {"ERREUR", "centre ville", "Croisement", "No de rue", "N'importe où"};
  return "(" + std::to_string(code) + ") " + (code >= 1 && code <= 4 ? names[code] : "ERREUR");
}
inline std::string TypeText(int code) {
  const char* names[] = {"ERREUR",
                         "Saisie à partir de la carte ou d'un code postal",
                         "ERREUR",
                         "Favoris",
                         "Domicile",
                         "Saisie par adresse",
                         "Saisie à partir du POI",
                         "Départ du dernier trajet calculé"};
  return "(" + std::to_string(code) + ") " + (code >= 1 && code <= 7 ? names[code] : "ERREUR");
}
// Degrees times 100000 as the shortest decimal text.
inline std::string CoordinateText(long long v) {
  const long long a = v < 0 ? -v : v;
  std::string frac = std::to_string(a % 100000);
  frac = std::string(5 - frac.size(), '0') + frac;
  while (!frac.empty() && frac.back() == '0') frac.pop_back();
  return (v < 0 ? "-" : "") + std::to_string(a / 100000) + (frac.empty() ? "" : "." + frac);
}

// The size of this process's address space, in KiB, for tests that limit it.
inline long VmSizeKb() {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmSize:", 0) == 0) return std::strtol(line.c_str() + 7, nullptr, 10);
  return 0;
}

inline records::RecordTexts Texts(std::initializer_list<const char*> nine) {
  records::RecordTexts r;
  int k = 0;
  for (const char* t : nine) r.text[k++] = t;
  return r;
}

inline Row RowOf(const records::RecordTexts& r) { return Row(r.text.begin(), r.text.end()); }

// A record line spelled out: carriage return, nine fields, eight tabs.
inline std::string Line(const records::RecordTexts& r) {
  std::string s = "\r";
  for (int k = 0; k < records::kFieldCount; ++k) s += (k ? "\t" : "") + r.text[k];
  return s;
}

inline const std::string kHeader =
    "Pr\xC3\xA9"
    "cision\tType\tLongitude 1\tLatitude 1\tLongitude 2\tLatitude 2\tAdresse 1\tAdresse 2\tAdresse 3";

inline std::string fixture(const char* name) { return std::string(FIXTURES_DIR) + "/" + name; }

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// What a file button's action asked and said, with the open dialog
// scripted to answer `path`.
struct FileRun {
  std::vector<testutil::ScriptedSeams::Dialog> dialogs;
  std::vector<QString> messages;
};
inline FileRun RunWithFile(void (Window2::*action)(), std::optional<std::string> path) {
  testutil::ScriptedSeams seams;
  seams.files.push_back(std::move(path));
  (Window2::instance()->*action)();
  return {seams.dialogs, seams.messages};
}

// Fails the test with the first difference between two states.
#define CHECK_STATE(actual, want)                    \
  do {                                               \
    const std::string d_ = Difference(actual, want); \
    QVERIFY2(d_.empty(), d_.c_str());                \
  } while (0)

}  // namespace testing_gui
