// Writes a memory-card-like image: a FAT32 volume whose files and free space hold settings
// blobs, lone records, decoys and noise, with records straddling every scan-chunk border.
// Prints the offset of every record written, ascending: the exact answer a scan must give.
// The file is checked while it is produced, so the list is verified rather than assumed.
#include "settingsgen.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>

namespace {

using namespace recordgen;
using u64 = uint64_t;

struct Object {
  u64 off;
  std::string bytes;
};

struct Span {
  u64 begin, end;
};

// Objects never overlap; random spans are only a backdrop and may lie under objects.
class Image {
 public:
  explicit Image(u64 size) : size_(size) {}

  u64 size() const { return size_; }

  bool isFree(u64 off, u64 len) const {
    if (len > size_ || off > size_ - len) return false;
    auto it = used_.upper_bound(off);
    if (it != used_.end() && it->first < off + len) return false;
    return it == used_.begin() || std::prev(it)->second <= off;
  }

  bool put(u64 off, std::string bytes, std::initializer_list<std::size_t> records = {}) {
    if (bytes.empty() || !isFree(off, bytes.size())) return false;
    used_[off] = off + bytes.size();
    for (std::size_t r : records) records_.push_back(off + r);
    objects_.push_back({off, std::move(bytes)});
    return true;
  }

  bool putBlob(u64 off, SettingsBlob blob) {
    if (!isFree(off, blob.bytes.size())) return false;
    for (const auto& r : blob.records) records_.push_back(off + r.offset);
    return put(off, std::move(blob.bytes));
  }

  // Tries random offsets in [lo, hi), keeping a little distance from other objects so
  // that unrelated objects never touch by accident.
  template <class Put>
  bool putSomewhere(Rng& rng, u64 lo, u64 hi, u64 len, u64 align, Put&& put) {
    if (hi > size_) hi = size_;
    if (hi < lo || hi - lo < len + 64) return false;
    for (int attempt = 0; attempt < 64; ++attempt) {
      u64 off = lo + 32 + rng.below(hi - lo - len - 64 + 1);
      off -= off % align;
      if (off >= lo + 32 && isFree(off - 32, len + 64) && put(off)) return true;
    }
    return false;
  }

  void random(u64 begin, u64 end) {
    end = std::min(end, size_);
    if (begin < end) random_.push_back({begin, end});
  }

  std::vector<Object>& objects() { return objects_; }
  std::vector<Span>& randomSpans() { return random_; }
  std::vector<u64>& records() { return records_; }

 private:
  u64 size_;
  std::map<u64, u64> used_;
  std::vector<Object> objects_;
  std::vector<Span> random_;
  std::vector<u64> records_;
};

void le16(std::string& b, std::size_t at, uint16_t v) {
  b[at] = char(v & 0xFF);
  b[at + 1] = char(v >> 8);
}
void le32(std::string& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
}

std::string bootSector(u64 size, u64 clusterSize, u64 fatBytes, uint32_t volumeId) {
  std::string b(512, '\0');
  b.replace(0, 11, "\xEB\x58\x90MSDOS5.0");
  le16(b, 11, 512);
  b[13] = char(clusterSize / 512);
  le16(b, 14, 32);  // reserved sectors
  b[16] = 2;        // FAT copies
  b[21] = char(0xF8);
  le16(b, 24, 63);
  le16(b, 26, 255);
  le32(b, 32, uint32_t(std::min<u64>(size / 512, 0xFFFFFFFF)));
  le32(b, 36, uint32_t(fatBytes / 512));
  le32(b, 44, 2);  // root directory cluster
  le16(b, 48, 1);  // FSInfo sector
  le16(b, 50, 6);  // backup boot sector
  b[64] = char(0x80);
  b[66] = 0x29;
  le32(b, 67, volumeId);
  b.replace(71, 19, "NAVCARD    FAT32   ");
  b[510] = 0x55;
  b[511] = char(0xAA);
  return b;
}

std::string fsInfoSector() {
  std::string b(512, '\0');
  le32(b, 0, 0x41615252);
  le32(b, 484, 0x61417272);
  le32(b, 488, 0xFFFFFFFF);
  le32(b, 492, 0xFFFFFFFF);
  b[510] = 0x55;
  b[511] = char(0xAA);
  return b;
}

std::string dirEntry(std::string_view name11, uint8_t attr, u64 cluster, u64 size, Rng& rng) {
  std::string e(32, '\0');
  e.replace(0, 11, name11);
  e[11] = char(attr);
  // One draw per statement: the order of operands in a single expression is unspecified,
  // and the image must not depend on the compiler.
  const u64 year = 2009 + rng.below(8), month = 1 + rng.below(12), day = 1 + rng.below(28);
  const u64 hour = rng.below(24), minute = rng.below(60), halfSecond = rng.below(30);
  const auto date = uint16_t(((year - 1980) << 9) | (month << 5) | day);
  const auto time = uint16_t((hour << 11) | (minute << 5) | halfSecond);
  le16(e, 14, time);
  le16(e, 16, date);
  le16(e, 18, date);
  le16(e, 20, uint16_t(cluster >> 16));
  le16(e, 22, time);
  le16(e, 24, date);
  le16(e, 26, uint16_t(cluster & 0xFFFF));
  le32(e, 28, uint32_t(size));
  return e;
}

std::string markerPrefix(Rng& rng) {
  std::string s = encodeRecord(Place{uint8_t(rng.between(1, 4)), uint8_t(rng.between(3, 7)), 0, 0, 0, 0, {}, {}, {}});
  s.resize(12);
  return s;
}

// Byte runs that a careless scanner would take for a record.
std::string decoy(Rng& rng) {
  std::string s = markerPrefix(rng);
  switch (rng.below(4)) {
    case 0: s += std::string_view("\x09\x00", 2); break;
    case 1: s += std::string_view("\x08\x01", 2); break;
    case 2: s += '\xFF'; break;
    default:
      s[6] = 5;
      s += std::string_view("\x08\x00", 2);
      break;
  }
  appendNoise(s, rng.bytes(std::size_t(rng.between(4, 40))));
  return s;
}

// Position-addressed noise, so any window of a huge image can be produced on its own.
void fillRandom(char* dst, u64 abs, std::size_t n, u64 seed) {
  std::size_t i = 0;
  while (i < n) {
    const u64 pos = abs + i;
    const u64 v = mix64(seed ^ (pos >> 3));
    const unsigned skip = unsigned(pos & 7);
    const std::size_t take = std::min<std::size_t>(8 - skip, n - i);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(dst + i, reinterpret_cast<const char*>(&v) + skip, take);
    } else {
      for (std::size_t k = 0; k < take; ++k) dst[i + k] = char(v >> (8 * (skip + k)));
    }
    i += take;
  }
}

class Writer {
 public:
  Writer(Image& img, bool sparse, u64 seed, u64 zeroEnd) : img_(img), sparse_(sparse), seed_(seed), zeroEnd_(zeroEnd) {
    auto& objs = img.objects();
    std::sort(objs.begin(), objs.end(), [](auto& a, auto& b) { return a.off < b.off; });
    auto spans = img.randomSpans();
    std::sort(spans.begin(), spans.end(), [](auto& a, auto& b) { return a.begin < b.begin; });
    for (const Span& s : spans) {
      if (!random_.empty() && s.begin <= random_.back().end) random_.back().end = std::max(random_.back().end, s.end);
      else random_.push_back(s);
    }
  }

  void write(const std::string& path) {
    const u64 size = img_.size();
    if (!sparse_) {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      if (size) writeExtent(out, {0, size});
      finish(out, path);
      return;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc).close();
    std::filesystem::resize_file(path, size);
    std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
    // Data closer together than this are written as one extent, the gap as zeros.
    constexpr u64 kJoin = 64;
    std::vector<Span> extents;
    auto add = [&](Span s) { extents.push_back(s); };
    for (const Span& s : random_) add(s);
    for (const Object& o : img_.objects()) add({o.off, o.off + o.bytes.size()});
    std::sort(extents.begin(), extents.end(), [](auto& a, auto& b) { return a.begin < b.begin; });
    std::vector<Span> merged;
    for (const Span& s : extents) {
      if (!merged.empty() && s.begin <= merged.back().end + kJoin)
        merged.back().end = std::max(merged.back().end, s.end);
      else merged.push_back(s);
    }
    for (const Span& s : merged) writeExtent(out, s);
    finish(out, path);
  }

  const std::vector<u64>& found() const { return found_; }

 private:
  static constexpr std::size_t kWindow = 8 << 20, kCarry = kMarkerLen - 1;

  template <class Stream>
  void finish(Stream& out, const std::string& path) {
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
  }

  // Writes [s.begin, s.end) and scans it for markers, carrying the last bytes of each
  // window into the next so that markers cut by a window edge are still seen. The bytes
  // just past the extent are holes (zeros) or the end of the file.
  template <class Stream>
  void writeExtent(Stream& out, Span s) {
    const std::size_t window = std::size_t(std::min<u64>(kWindow, s.end - s.begin));
    buf_.resize(kCarry + window);
    char* const data = buf_.data() + kCarry;
    std::size_t carry = 0;
    if (sparse_) out.seekp(std::streamoff(s.begin));
    for (u64 w0 = s.begin; w0 < s.end; w0 += window) {
      const std::size_t n = std::size_t(std::min<u64>(window, s.end - w0));
      fill(data, w0, n);
      scan(data - carry, carry + n, w0 - carry);
      if (!out.write(data, std::streamsize(n))) throw std::runtime_error("write failed");
      const std::size_t keep = std::min(kCarry, carry + n);
      std::memmove(data - keep, data + n - keep, keep);
      carry = keep;
    }
    const std::size_t pad = std::size_t(std::min<u64>(kCarry, img_.size() - s.end));
    std::memset(data, 0, pad);
    scan(data - carry, carry + pad, s.end - carry);
  }

  void scan(const char* p, std::size_t n, u64 abs) {
    if (n < kMarkerLen) return;
    const char* const last = p + n - kMarkerLen;
    for (const char* q = p; q <= last; ++q) {
      q = static_cast<const char*>(std::memchr(q, 4, std::size_t(last - q) + 1));
      if (!q) break;
      if (markerAt(q)) found_.push_back(abs + u64(q - p));
    }
  }

  void fill(char* dst, u64 begin, std::size_t n) {
    const u64 end = begin + n;
    if (sparse_) {
      std::memset(dst, 0, n);
    } else {
      // Background in 512 KiB stretches: empty, erased flash, or data.
      for (u64 pos = begin; pos < end;) {
        u64 stop = std::min(end, (pos | 0x7FFFF) + 1);
        unsigned kind = 0;
        if (pos < zeroEnd_) stop = std::min(stop, zeroEnd_);
        else kind = unsigned(mix64(seed_ ^ 0xB6C0FFEEull ^ (pos >> 19)) % 10);
        char* d = dst + (pos - begin);
        if (kind < 4) std::memset(d, 0, stop - pos);
        else if (kind == 4) std::memset(d, 0xFF, stop - pos);
        else fillRandom(d, pos, stop - pos, seed_);
        pos = stop;
      }
    }
    auto r = std::partition_point(random_.begin(), random_.end(), [&](const Span& s) { return s.end <= begin; });
    for (; r != random_.end() && r->begin < end; ++r) {
      const u64 a = std::max(begin, r->begin), b = std::min(end, r->end);
      fillRandom(dst + (a - begin), a, b - a, seed_ ^ 0x5EEDull);
    }
    const auto& objs = img_.objects();
    auto o = std::partition_point(objs.begin(), objs.end(),
                                  [&](const Object& x) { return x.off + x.bytes.size() <= begin; });
    for (; o != objs.end() && o->off < end; ++o) {
      const u64 a = std::max(begin, o->off), b = std::min(end, o->off + o->bytes.size());
      std::memcpy(dst + (a - begin), o->bytes.data() + (a - o->off), b - a);
    }
  }

  Image& img_;
  bool sparse_;
  u64 seed_, zeroEnd_;
  std::vector<Span> random_;
  std::vector<char> buf_;
  std::vector<u64> found_;
};

struct Options {
  std::string path;
  u64 size = 0, seed = 1, chunk = 10'000'000;
  bool sparse = false, haveSize = false;
};

// Lays out the whole image; returns the end of the area that must stay zero (boot sector
// and FATs) when the background is generated.
u64 layOut(Image& img, const Options& opt) {
  Rng rng{opt.seed};
  const u64 size = opt.size;
  const auto& samples = samplePlaces();
  std::size_t nextSample = rng.below(samples.size());
  auto place = [&] { return rng.chance(50) ? samples[nextSample++ % samples.size()] : randomPlace(rng); };

  const u64 cs = size >= (u64(1) << 30) ? 32768 : 4096;
  const u64 fatBytes = ((size / cs + 2) * 4 + 511) / 512 * 512;
  const u64 fat1 = 32 * 512, fat2 = fat1 + fatBytes, dataStart = fat2 + fatBytes;
  const bool fs = size >= dataStart + 64 * cs;
  auto clusterOff = [&](u64 c) { return dataStart + (c - 2) * cs; };
  std::size_t rootDir = 0;
  if (fs) {
    const auto volumeId = uint32_t(rng.next());
    img.put(0, bootSector(size, cs, fatBytes, volumeId));
    img.put(512, fsInfoSector());
    img.put(6 * 512, bootSector(size, cs, fatBytes, volumeId));
    rootDir = img.objects().size();
    img.put(clusterOff(2), std::string(cs, '\0'));
  }

  // Records around every chunk border: thirteen ways of cutting the marker itself, then a
  // record starting exactly on the border and one starting a byte after it, each with a
  // record just in front that ends on (or one byte past) the border.
  const u64 borders = size ? (size - 1) / opt.chunk : 0;
  if (borders > 20'000'000) throw std::runtime_error("too many chunk borders for this size");
  for (u64 n = 1; n <= borders; ++n) {
    const u64 b = n * opt.chunk;
    if (opt.sparse) img.random(b - std::min<u64>(b, 4096), b + 4096);
    const u64 v = (n - 1) % 15;
    if (v < 13) {
      const u64 k = v + 1;
      if (b >= k) img.put(b - k, recordWithTrailer(rng, place()), {0});
    } else {
      const std::string first = encodeRecord(place());
      std::string pair = first + recordWithTrailer(rng, place());
      const u64 start = b - first.size() + (v - 13);
      if (b >= first.size() && markerPositions(pair) == std::vector<std::size_t>{0, first.size()})
        img.put(start, std::move(pair), {0, first.size()});
    }
    if (n % 4 == 0) {
      const u64 at = b + 400 + rng.below(200);
      img.put(at, decoy(rng));
    }
  }

  if (fs) {
    struct File {
      std::string_view name;
      u64 cluster, size;
      bool live;
    };
    std::vector<File> files;
    u64 next = 3;
    auto addBlob = [&](std::string_view name, std::size_t records, bool live) {
      SettingsBlob blob = buildSettings(rng, records);
      const u64 len = blob.bytes.size();
      for (u64 c = next; c < next + 4096 && clusterOff(c) + len <= size; ++c)
        if (img.isFree(clusterOff(c), len)) {
          img.putBlob(clusterOff(c), std::move(blob));
          files.push_back({name, c, len, live});
          next = c + (len + cs - 1) / cs;
          return;
        }
    };
    auto addData = [&](std::string_view name, u64 len) {
      if (len == 0 || clusterOff(next) + len > size) return;
      img.random(clusterOff(next), clusterOff(next) + len);
      files.push_back({name, next, len, true});
      next += (len + cs - 1) / cs;
    };
    addBlob("SETTINGSCFG", std::size_t(rng.between(10, 25)), true);
    addBlob("SETTINGSBAK", std::size_t(rng.between(5, 15)), true);
    addData("MAPDATA DAT", std::min<u64>(2 << 20, size / 16));
    addData("POI     DAT", std::min<u64>(512 << 10, size / 64));
    addBlob(
        "\xE5"
        "ETTINGSOLD",
        std::size_t(rng.between(3, 10)), false);  // deleted
    addData("VOICE   DAT", std::min<u64>(1 << 20, size / 32));

    std::string entries = dirEntry("NAVCARD    ", 0x08, 0, 0, rng);
    std::string fat;
    for (uint32_t v : {0x0FFFFFF8u, 0x0FFFFFFFu, 0x0FFFFFFFu}) appendLe32(fat, v);
    img.put(fat1, fat);
    img.put(fat2, fat);
    for (const File& f : files) {
      entries += dirEntry(f.name, 0x20, f.cluster, f.size, rng);
      if (!f.live) continue;  // a deleted file's chain is freed, its data stays behind
      const u64 count = (f.size + cs - 1) / cs;
      std::string chain;
      for (u64 i = 1; i <= count; ++i) appendLe32(chain, i == count ? 0x0FFFFFFFu : uint32_t(f.cluster + i));
      img.put(fat1 + 4 * f.cluster, chain);
      img.put(fat2 + 4 * f.cluster, chain);
    }
    // Looked up only now: the puts above add objects and may move them.
    img.objects()[rootDir].bytes.replace(0, entries.size(), entries);
  }

  // Free space: old settings copies, lone records and decoys. A sparse image keeps them
  // to a few islands; a full one scatters them everywhere.
  const u64 lo = fs ? dataStart : 0;
  auto scatter = [&](u64 from, u64 to, u64 blobs, u64 lone, u64 decoys) {
    for (u64 i = 0; i < blobs; ++i) {
      SettingsBlob blob = buildSettings(rng, std::size_t(rng.between(3, 12)));
      const u64 len = blob.bytes.size();
      img.putSomewhere(rng, from, to, len, rng.chance(50) ? 512 : 1,
                       [&](u64 off) { return img.putBlob(off, std::move(blob)); });
    }
    for (u64 i = 0; i < lone; ++i) {
      std::string r = recordWithTrailer(rng, place());
      const u64 len = r.size();
      img.putSomewhere(rng, from, to, len, 1, [&](u64 off) { return img.put(off, std::move(r), {0}); });
    }
    for (u64 i = 0; i < decoys; ++i) {
      std::string d = decoy(rng);
      const u64 len = d.size();
      img.putSomewhere(rng, from, to, len, 1, [&](u64 off) { return img.put(off, std::move(d)); });
    }
  };
  if (opt.sparse) {
    for (u64 n = 3 + rng.below(3); n > 0 && size > lo; --n) {
      const u64 len = std::min<u64>(size - lo, u64(rng.between(64 << 10, 1 << 20)));
      const u64 off = lo + rng.below(size - lo - len + 1);
      img.random(off, off + len);
      scatter(off, off + len, 1, 2, 2);
    }
  } else {
    scatter(lo, size, std::clamp<u64>(size >> 28, 2, 40), std::clamp<u64>(size >> 21, 4, 1000),
            std::clamp<u64>(size >> 22, 4, 500));
  }

  // A marker cut short by the end of the file is not a record.
  if (size >= 13) img.put(size - 13, markerPrefix(rng) + '\x08');
  return fs ? dataStart : 0;
}

[[noreturn]] void usage() {
  std::cerr << "usage: gen_image OUT.img --size BYTES [--seed N] [--sparse] [--chunk BYTES]\n";
  std::exit(2);
}

u64 number(const char* s) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(s, &end, 10);
  if (!*s || *end || *s == '-' || errno) usage();
  return v;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  if (argc < 2 || argv[1][0] == '-') usage();
  opt.path = argv[1];
  for (int i = 2; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--sparse") opt.sparse = true;
    else if (i + 1 >= argc) usage();
    else if (a == "--size") opt.size = number(argv[++i]), opt.haveSize = true;
    else if (a == "--seed") opt.seed = number(argv[++i]);
    else if (a == "--chunk") opt.chunk = number(argv[++i]);
    else usage();
  }
  if (!opt.haveSize || opt.chunk == 0) usage();

  try {
    Image img(opt.size);
    const u64 zeroEnd = layOut(img, opt);
    Writer writer(img, opt.sparse, opt.seed, zeroEnd);
    writer.write(opt.path);
    auto& expected = img.records();
    std::sort(expected.begin(), expected.end());
    if (writer.found() != expected) {
      std::size_t i = 0;
      while (i < expected.size() && i < writer.found().size() && expected[i] == writer.found()[i]) ++i;
      std::cerr << "gen_image: the image holds " << writer.found().size() << " markers for " << expected.size()
                << " records (first difference near entry " << i << "); try another seed\n";
      return 1;
    }
    std::string listing;
    for (u64 off : expected) listing += std::to_string(off) + '\n';
    std::fwrite(listing.data(), 1, listing.size(), stdout);
  } catch (const std::exception& e) {
    std::cerr << "gen_image: " << e.what() << '\n';
    return 1;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
