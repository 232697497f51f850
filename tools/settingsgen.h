// Builds device-settings-like files: a header, key/value blocks, padding and noise, with
// location records dropped in between at irregular offsets. Used on its own by
// gen_settings and as embedded blobs by gen_image.
#pragma once

#include "recordgen.h"

#include <iterator>
#include <stdexcept>

namespace recordgen {

struct PlacedRecord {
  std::size_t offset;
  Place place;
};

struct SettingsBlob {
  std::string bytes;
  std::vector<PlacedRecord> records;
};

// Appends noise and repairs any marker that the noise completes together with the bytes
// already there. Zeroing the marker's final byte would keep it; setting it to 01 cannot
// create another marker, because every fixed position of the pattern is 00, 04 or 08.
inline void appendNoise(std::string& buf, std::string_view chunk) {
  const std::size_t old = buf.size();
  buf += chunk;
  const std::size_t from = old >= kMarkerLen - 1 ? old - (kMarkerLen - 1) : 0;
  for (std::size_t i = from; i + kMarkerLen <= buf.size(); ++i)
    if (markerAt(buf.data() + i)) buf[i + kMarkerLen - 1] = '\x01';
}

// Real devices keep more fields after the third address; the exact content does not matter
// to a reader, only that it is there and never looks like the start of another record.
inline std::string trailerBytes(Rng& rng, std::size_t minLen = 8, std::size_t maxLen = 40) {
  const auto len = std::size_t(rng.between(int64_t(minLen), int64_t(maxLen)));
  std::string t;
  appendLe32(t, uint32_t(1199145600 + rng.below(300000000)));  // a 2008..2017 timestamp
  t += char(rng.below(4));
  t += char(0);
  t += rng.bytes(len);
  t.resize(len);
  return t;
}

// A record followed by its trailer, guaranteed to contain exactly one marker, at 0.
inline std::string recordWithTrailer(Rng& rng, const Place& p, std::size_t minTrail = 8, std::size_t maxTrail = 40) {
  std::string out = encodeRecord(p);
  if (markerPositions(out).size() != 1) throw std::runtime_error("record contains a stray marker");
  appendNoise(out, trailerBytes(rng, minTrail, maxTrail));
  return out;
}

namespace detail {

inline std::string kvBlock(Rng& rng) {
  static constexpr const char* keys[] = {
      "Display.Brightness", "Display.NightMode", "Route.AvoidTolls", "Route.AvoidFerries", "Route.Type",
      "Voice.Language",     "Voice.Volume",      "Units.Distance",   "Map.Orientation",    "Map.ZoomLevel",
      "Speedcam.Alert",     "Clock.Format",      "Bluetooth.Paired", "Device.Name",        "Trip.Odometer",
      "Battery.Profile",    "Map.Region",        "Lane.Assist",      "Route.LastUpdate",   "Poi.Categories"};
  static constexpr const char* words[] = {"fr_FR",  "nl_BE", "km",           "Nord", "Europe/Paris",
                                          "Rapide", "Court", "Europe-Ouest", "Jour", "Nuit"};
  std::string b;
  const uint16_t tag = uint16_t(0x0100 + rng.below(0x60));
  b += char(tag & 0xFF);
  b += char(tag >> 8);
  const std::string_view key = keys[rng.below(std::size(keys))];
  b += char(key.size());
  b += key;
  std::string value;
  const auto kind = rng.below(4);
  if (kind == 0) appendLe32(value, uint32_t(rng.below(rng.chance(50) ? 100 : 1000000)));
  else if (kind == 1) value = char(rng.below(2));
  else if (kind == 2) value = words[rng.below(std::size(words))];
  else value = rng.bytes(std::size_t(rng.between(4, 64)));
  b += char(0x10 + kind);
  b += char(value.size() & 0xFF);
  b += char(value.size() >> 8);
  b += value;
  return b;
}

// `len` bytes of the things found between records: key/value blocks, alignment
// padding, erased (FF) areas and opaque data.
inline void appendFiller(std::string& buf, Rng& rng, std::size_t len) {
  const std::size_t end = buf.size() + len;
  while (buf.size() < end) {
    const std::size_t left = end - buf.size();
    std::string part;
    switch (rng.below(6)) {
      case 0:
      case 1:
      case 2: part = kvBlock(rng); break;
      case 3: part.assign(std::size_t(rng.between(1, 16)), '\0'); break;
      case 4: part.assign(std::size_t(rng.between(4, 48)), '\xFF'); break;
      default: part = rng.bytes(std::size_t(rng.between(4, 200))); break;
    }
    if (part.size() > left) part = rng.bytes(left);
    appendNoise(buf, part);
  }
}

}  // namespace detail

// `records` records; `size` = 0 lets the file take its natural length, otherwise the file is
// exactly `size` bytes (std::length_error if they cannot fit). With `recordAtZero` the
// first record sits at offset 0, ahead of the header.
inline SettingsBlob buildSettings(Rng& rng, std::size_t records, std::size_t size = 0, bool recordAtZero = false) {
  SettingsBlob out;
  std::string& buf = out.bytes;
  const auto& samples = samplePlaces();
  std::size_t nextSample = rng.below(samples.size());
  auto addRecord = [&] {
    Place p = rng.chance(65) ? samples[nextSample++ % samples.size()] : randomPlace(rng);
    const std::size_t at = buf.size();
    buf += recordWithTrailer(rng, p);
    out.records.push_back({at, std::move(p)});
  };

  std::size_t placed = 0;
  if (recordAtZero && records > 0) {
    addRecord();
    ++placed;
  }
  const std::size_t headerAt = buf.size();
  buf += std::string_view("NVCF\x03\x00", 6);
  buf += char(rng.below(4));
  buf += char(0);
  buf.append(24, '\0');  // size, record count and checksum are patched at the end
  for (auto n = rng.between(3, 8); n > 0; --n) appendNoise(buf, detail::kvBlock(rng));

  // A record with trailer is at most 32 + 3 * 256 + 40 bytes; samples are far shorter.
  constexpr std::size_t kRecordReserve = 320;
  for (; placed < records; ++placed) {
    std::size_t gap = rng.below(120);
    if (size) {
      const std::size_t need = buf.size() + (records - placed) * kRecordReserve;
      const std::size_t room = size > need ? size - need : 0;
      gap = std::size_t(rng.below(2 * room / (records - placed + 1) + 1));
    }
    detail::appendFiller(buf, rng, gap);
    addRecord();
  }
  if (size) {
    if (buf.size() > size) throw std::length_error("settings size too small for the records");
    detail::appendFiller(buf, rng, size - buf.size());
  } else {
    for (auto n = rng.between(2, 6); n > 0; --n) appendNoise(buf, detail::kvBlock(rng));
  }

  std::string fields;
  appendLe32(fields, uint32_t(buf.size()));
  appendLe32(fields, uint32_t(records));
  uint32_t sum = 0;
  for (unsigned char c : buf) sum = sum * 31 + c;
  appendLe32(fields, sum);
  buf.replace(headerAt + 8, fields.size(), fields);

  std::vector<std::size_t> expect;
  for (const auto& r : out.records) expect.push_back(r.offset);
  if (markerPositions(buf) != expect) throw std::logic_error("settings blob holds an unexpected marker");
  return out;
}

}  // namespace recordgen
