// Shared by the fixture generators and by tests that need known location records.
// Everything here is deterministic: a given seed always yields the same bytes,
// so a failing test can be reproduced from its command line alone.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "records/Layout.h"

namespace recordgen {

// Address strings hold Windows-1252 bytes exactly as a device stores them.
struct Place {
  uint8_t precision, type;
  int32_t lon1, lat1, lon2, lat2;  // degrees x 100000
  std::string addr1, addr2, addr3;
};

// splitmix64: tiny, fast and identical on every platform, unlike <random> distributions.
struct Rng {
  uint64_t s;
  uint64_t next() {
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint64_t below(uint64_t n) { return n ? next() % n : 0; }
  int64_t between(int64_t lo, int64_t hi) { return lo + int64_t(below(uint64_t(hi - lo) + 1)); }
  bool chance(unsigned percent) { return below(100) < percent; }
  std::string bytes(std::size_t n) {
    std::string out(n, '\0');
    for (auto& c : out) c = char(next() >> 56);
    return out;
  }
};

// Stateless variant of the same mixer, for filling huge files position by position.
inline uint64_t mix64(uint64_t x) { return Rng{x}.next(); }

inline constexpr std::size_t kMarkerLen = records::kMarkerSize;

inline bool markerAt(const char* p) { return records::IsMarkerAt(reinterpret_cast<const uint8_t*>(p)); }

// Every start position, overlapping ones included: generators must guarantee that the
// only markers present are the records they wrote, whatever search strategy a scanner uses.
inline std::vector<std::size_t> markerPositions(std::string_view bytes) {
  std::vector<std::size_t> out;
  for (std::size_t i = 0; i + kMarkerLen <= bytes.size(); ++i)
    if (markerAt(bytes.data() + i)) out.push_back(i);
  return out;
}

inline void appendLe32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

// The record encoder, laid out by records/Layout.h: every generator and
// every test builds its records from markerBytes, recordHead, encodeAddress
// and encodeRecord below.

// The marker with these two codes.
inline std::string markerBytes(uint8_t precision, uint8_t type) {
  std::string m(records::RecordMarker, records::RecordMarker + records::kMarkerSize);
  m[records::kPrecisionCodeAt] = char(precision);
  m[records::kTypeCodeAt] = char(type);
  return m;
}

// Everything in front of the first address's length byte: the marker with
// the two codes, the four coordinates and the two unread bytes as devices
// store them.
inline std::string recordHead(uint8_t precision, uint8_t type, int32_t lon1, int32_t lat1, int32_t lon2, int32_t lat2) {
  std::string r = markerBytes(precision, type);
  r.resize(records::kAddressesAt);
  auto put = [&r](int at, int32_t v) {
    for (int i = 0; i < records::kCoordinateSize; ++i) r[std::size_t(at + i)] = char((uint32_t(v) >> (8 * i)) & 0xFF);
  };
  put(records::kLon1At, lon1);
  put(records::kLat1At, lat1);
  put(records::kLon2At, lon2);
  put(records::kLat2At, lat2);
  r[records::kUnreadAt] = char(records::kUnreadBytes[0]);
  r[records::kUnreadAt + 1] = char(records::kUnreadBytes[1]);
  return r;
}

// One address: its length byte (the length plus the bias), then its bytes.
inline std::string encodeAddress(std::string_view bytes) {
  // Anything longer than the biased byte can say cannot be represented.
  if (bytes.size() > std::size_t(records::kMaxAddressLength)) {
    std::fprintf(stderr, "recordgen: address too long (%zu bytes)\n", bytes.size());
    std::abort();
  }
  std::string a(1, char(bytes.size() + records::AddressLengthBias));
  a += bytes;
  return a;
}

inline std::string encodeRecord(const Place& p) {
  return recordHead(p.precision, p.type, p.lon1, p.lat1, p.lon2, p.lat2) + encodeAddress(p.addr1) +
         encodeAddress(p.addr2) + encodeAddress(p.addr3);
}

inline std::string toHexUpper(std::string_view bytes) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// The bytes as `xxd -p` prints them: lower-case digits, 30 bytes a line,
// each line ended by a line break.
inline std::string xxdPlain(std::string_view bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    out += digits[c >> 4];
    out += digits[c & 15];
    if (i % 30 == 29 || i + 1 == bytes.size()) out += '\n';
  }
  return out;
}

// For human-readable listings. The five bytes Windows-1252 leaves undefined are passed
// through as the C1 control of the same value, which is what Windows itself does.
inline std::string cp1252ToUtf8(std::string_view in) {
  static constexpr uint16_t high[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  std::string out;
  for (unsigned char c : in) {
    uint32_t u = (c >= 0x80 && c < 0xA0) ? high[c - 0x80] : c;
    if (u < 0x80) {
      out += char(u);
    } else if (u < 0x800) {
      out += char(0xC0 | (u >> 6));
      out += char(0x80 | (u & 0x3F));
    } else {
      out += char(0xE0 | (u >> 12));
      out += char(0x80 | ((u >> 6) & 0x3F));
      out += char(0x80 | (u & 0x3F));
    }
  }
  return out;
}

// Places a device could plausibly have stored: real landmarks, towns and streets across
// the French-speaking world and its neighbours. Two pairs share their first coordinates
// (the same point saved under two entry types), several addresses are empty, and a few
// codes are out of range, as found on worn devices.
inline const std::vector<Place>& samplePlaces() {
  static const std::vector<Place> places = {
      // precision, type, lon1, lat1, lon2, lat2, addr1, addr2, addr3
      {3, 6, 229448, 4885837, 229413, 4885812, "Tour Eiffel, 5 avenue Anatole France", "75007 Paris", "France"},
      {3, 3, 229448, 4885837, 229413, 4885812, "Tour Eiffel, 5 avenue Anatole France", "75007 Paris", "France"},
      {1, 1, 235222, 4885661, 235205, 4885674, "", "75004 Paris", "\xCEle-de-France"},
      {3, 6, 234990, 4885296, 234972, 4885280,
       "Cath\xE9"
       "drale Notre-Dame, 6 parvis Notre-Dame",
       "75004 Paris", "France"},
      {3, 5, 234309, 4888671, 234344, 4888692, "35 rue du Chevalier-de-la-Barre", "75018 Paris", "Sacr\xE9-C\x9Cur"},
      {2, 5, 229504, 4887378, 229521, 4887400,
       "Avenue des Champs-\xC9lys\xE9"
       "es / rue de Presbourg",
       "75008 Paris", "France"},
      {3, 6, 227480, 4884130, 227462, 4884138, "Parc Andr\xE9-Citro\xEBn, quai Andr\xE9-Citro\xEBn", "75015 Paris",
       "France"},
      {3, 6, 212036, 4880486, 212017, 4880465,
       "Ch\xE2teau de Versailles, place d\x92"
       "Armes",
       "78000 Versailles", "Yvelines"},
      {1, 1, 483566, 4576404, 483600, 4576420, "", "69002 Lyon", "Rh\xF4ne"},
      {2, 5, 483201, 4575781, 483217, 4575798, "Place Bellecour / rue de la R\xE9publique", "69002 Lyon", "France"},
      {3, 5, 537430, 4329532, 537411, 4329520, "1 quai des Belges", "13001 Marseille", "Bouches-du-Rh\xF4ne"},
      {3, 6, 537125, 4328395, 537105, 4328420, "Notre-Dame-de-la-Garde, rue Fort du Sanctuaire", "13006 Marseille",
       "France"},
      {3, 6, 725801, 4369446, 725834, 4369457, "H\xF4tel Negresco, 37 promenade des Anglais", "06000 Nice",
       "Alpes-Maritimes"},
      {3, 6, -56966, 4484136, -56951, 4484148, "Place de la Bourse", "33000 Bordeaux", "Gironde"},
      {3, 4, -57410, 4483912, -57430, 4483895, "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde"},
      {3, 7, -57410, 4483912, -57430, 4483895, "27 rue Sainte-Catherine", "33000 Bordeaux", "Gironde"},
      {4, 3, -121289, 4458918, -121257, 4458939, "Dune du Pilat, for\xEAt de la Teste", "33115 La Teste-de-Buch", ""},
      {1, 1, -116873, 4465864, -116859, 4465856, "", "33120 Arcachon", "Gironde"},
      {3, 5, -449534, 4838325, -449555, 4838303, "Pont de Recouvrance", "29200 Brest", "Finist\xE8re"},
      {4, 1, -474060, 4803930, -474082, 4803945, "", "", ""},
      {3, 6, -410222, 4799571, -410191, 4799587,
       "Cath\xE9"
       "drale Saint-Corentin, place Saint-Corentin",
       "29000 Quimper", "Finist\xE8re"},
      {3, 3, -202484, 4864922, -202471, 4864909, "Porte Saint-Vincent", "35400 Saint-Malo", "Ille-et-Vilaine"},
      {1, 1, -167780, 4811729, -167802, 4811753, "", "35000 Rennes", "Bretagne"},
      {3, 6, -154958, 4721596, -154981, 4721606, "Ch\xE2teau des ducs de Bretagne, 4 place Marc Elder", "44000 Nantes",
       "Loire-Atlantique"},
      {4, 6, -151146, 4863606, -151116, 4863617, "Le Mont-Saint-Michel", "50170 Le Mont-Saint-Michel", "Manche"},
      {4, 1, -308520, 4759420, -308508, 4759402, "Alignements du M\xE9nec", "56340 Carnac", "Morbihan"},
      {3, 6, 775097, 4858186, 775074, 4858205,
       "Cath\xE9"
       "drale Notre-Dame, place de la Cath\xE9"
       "drale",
       "67000 Strasbourg", "Bas-Rhin"},
      {2, 1, 306349, 5063709, 306325, 5063729, "Grand\x92Place / rue Esquermoise", "59000 Lille", "Nord"},
      {3, 6, 144340, 4360447, 144369, 4360438, "Capitole de Toulouse, place du Capitole", "31000 Toulouse",
       "Haute-Garonne"},
      {3, 6, 236370, 4320640, 236381, 4320617, "Cit\xE9 de Carcassonne, porte Narbonnaise", "11000 Carcassonne",
       "Aude"},
      {2, 5, 387980, 4360850, 387956, 4360864,
       "Place de la Com\xE9"
       "die / rue de la Loge",
       "34000 Montpellier", "H\xE9rault"},
      {3, 6, 480749, 4395079, 480724, 4395094, "Palais des Papes, place du Palais", "84000 Avignon", "Vaucluse"},
      {3, 6, 435960, 4383480, 435988, 4383466, "Ar\xE8nes de N\xEEmes, boulevard des Ar\xE8nes", "30000 N\xEEmes",
       "Gard"},
      {3, 3, 612597, 4589893, 612607, 4589916, "Palais de l\x92Isle, 3 passage de l\x92\xCEle", "74000 Annecy",
       "Haute-Savoie"},
      {1, 1, 686940, 4592370, 686932, 4592379, "", "74400 Chamonix-Mont-Blanc", "Haute-Savoie"},
      {3, 6, 572520, 4519900, 572494, 4519910, "Fort de la Bastille", "38000 Grenoble", "Is\xE8re"},
      {3, 6, 504150, 4732180, 504177, 4732161, "Palais des ducs et des \xC9tats de Bourgogne", "21000 Dijon",
       "C\xF4te-d\x92Or"},
      {3, 6, 403392, 4925383, 403401, 4925401,
       "Cath\xE9"
       "drale Notre-Dame, place du Cardinal Lu\xE7on",
       "51100 Reims", "Marne"},
      {3, 6, 602510, 4723790, 602501, 4723809, "Maison o\xF9 naquit Victor Hugo, 140 Grande Rue", "25000 Besan\xE7on",
       "Doubs"},
      {3, 6, -37260, 4918130, -37287, 4918120, "Abbaye aux Hommes, esplanade Jean-Marie Louvel", "14000 Caen",
       "Calvados"},
      {4, 3, 19820, 4970710, 19846, 4970686,
       "Falaise d\x92"
       "Aval",
       "76790 \xC9tretat", "Seine-Maritime"},
      {3, 6, -115380, 4615610, -115372, 4615623, "Tour de la Cha\xEEne, quai du Gabut", "17000 La Rochelle",
       "Charente-Maritime"},
      {3, 6, -156530, 4348390, -156540, 4348404,
       "Rocher de la Vierge, plateau de l\x92"
       "Atalaye",
       "64200 Biarritz",
       "Pyr\xE9n\xE9"
       "es-Atlantiques"},
      {3, 6, -5800, 4309770, -5828, 4309755, "Sanctuaire Notre-Dame de Lourdes", "65100 Lourdes",
       "Hautes-Pyr\xE9n\xE9"
       "es"},
      {3, 6, 239330, 4886140, 239355, 4886162, "Tombe d\x92H\xE9lo\xEFse et Ab\xE9lard",
       "Cimeti\xE8re du P\xE8re-Lachaise", "75020 Paris"},
      {3, 5, 308200, 4577740, 308190, 4577748, "12 place de Jaude", "63000 Clermont-Ferrand", "Puy-de-D\xF4me"},
      {3, 6, 603150, 4723090, 603139, 4723099, "Citadelle de Besan\xE7on, 99 rue des Fusill\xE9s", "25000 Besan\xE7on",
       "Doubs"},
      {3, 6, 873840, 4191870, 873811, 4191850, "Maison Bonaparte, rue Saint-Charles", "20000 Ajaccio", "Corse-du-Sud"},
      {5, 3, 945080, 4270140, 945104, 4270157, "Place Saint-Nicolas", "20200 Bastia", "Haute-Corse"},
      {9, 6, 605480, 4890470, 605469, 4890488, "Place Duroc", "54700 Pont-\xE0-Mousson", "Meurthe-et-Moselle"},
      {3, 6, 435247, 5084675, 435235, 5084664, "Grand-Place", "1000 Bruxelles", "Belgique"},
      {3, 6, 434153, 5089496, 434123, 5089471,
       "Atomium, place de l\x92"
       "Atomium 1",
       "1020 Laeken", "Belgique"},
      {2, 0, 557340, 5064520, 557363, 5064532, "Place Saint-Lambert / rue L\xE9opold", "4000 Li\xE8ge", "Belgique"},
      {4, 2, 486080, 5045990, 486068, 5046003, "Citadelle de Namur", "5000 Namur", ""},
      {3, 3, 615589, 4620735, 615576, 4620719,
       "Jet d\x92"
       "eau, quai Gustave-Ador",
       "1207 Gen\xE8ve", "Suisse"},
      {3, 6, 663540, 4652260, 663509, 4652281,
       "Cath\xE9"
       "drale de Lausanne, place de la Cath\xE9"
       "drale",
       "1005 Lausanne", "Suisse"},
      {3, 200, 692740, 4641420, 692762, 4641442, "Ch\xE2teau de Chillon, avenue de Chillon 21", "1820 Veytaux",
       "Suisse"},
      {1, 1, 612990, 4961170, 612977, 4961178,
       "Place d\x92"
       "Armes",
       "1136 Luxembourg", "Luxembourg"},
      {3, 6, 742820, 4373940, 742806, 4373919, "Casino de Monte-Carlo, place du Casino", "98000 Monaco", "Monaco"},
      {3, 6, 217436, 4140363, 217404, 4140379, "Sagrada Fam\xEDlia, carrer de Mallorca 401", "08013 Barcelona",
       "Espa\xF1"
       "a"},
      {2, 5, -370350, 4041690, -370329, 4041707, "Puerta del Sol / calle de Alcal\xE1", "28013 Madrid",
       "Espa\xF1"
       "a"},
      {3, 6, -913650, 3870760, -913664, 3870748,
       "Pra\xE7"
       "a do Com\xE9rcio",
       "1100-148 Lisboa", "Portugal"},
      {3, 3, -861310, 4114060, -861325, 4114085, "Cais da Ribeira", "4050-513 Porto", "Portugal"},
      {3, 6, -198640, 4331780, -198673, 4331791, "Playa de la Concha", "20007 Donostia",
       "Espa\xF1"
       "a"},
      {3, 6, 5544790, -2087680, 5544810, -2087668, "Le Barachois, boulevard Gabriel Mac\xE9", "97400 Saint-Denis",
       "La R\xE9union"},
      {3, 4, 16644250, -2227560, 16644235, -2227577, "Place des Cocotiers",
       "98800 Noum\xE9"
       "a",
       "Nouvelle-Cal\xE9"
       "donie"},
      {200, 1, -6106880, 1460270, -6106896, 1460290, "", "97200 Fort-de-France", "Martinique"},
  };
  return places;
}

// A sample place moved a little and sometimes relabelled, so large fixtures are not just
// the same 67 records over and over. Codes never take the value 8: with 8 at +2 or +8 a
// record could complete a marker begun in the bytes in front of it.
inline Place randomPlace(Rng& rng) {
  const auto& all = samplePlaces();
  for (;;) {
    Place p = all[rng.below(all.size())];
    const int32_t dLon = int32_t(rng.between(-2000, 2000)), dLat = int32_t(rng.between(-2000, 2000));
    p.lon1 += dLon;
    p.lat1 += dLat;
    p.lon2 += dLon + int32_t(rng.between(-15, 15));
    p.lat2 += dLat + int32_t(rng.between(-15, 15));
    static constexpr uint8_t goodPrecision[] = {1, 2, 3, 4}, goodType[] = {1, 3, 4, 5, 6, 7};
    static constexpr uint8_t badPrecision[] = {0, 5, 9, 200}, badType[] = {0, 2, 200};
    if (rng.chance(30)) p.precision = goodPrecision[rng.below(4)];
    if (rng.chance(30)) p.type = goodType[rng.below(6)];
    if (rng.chance(4)) p.precision = badPrecision[rng.below(4)];
    if (rng.chance(4)) p.type = badType[rng.below(3)];
    // Renumber the house so street-number entries differ in their text too.
    if (!p.addr1.empty() && p.addr1[0] >= '1' && p.addr1[0] <= '9') {
      const auto digits = p.addr1.find_first_not_of("0123456789");
      p.addr1 = std::to_string(rng.between(1, 180)) + p.addr1.substr(std::min(digits, p.addr1.size()));
    }
    if (rng.chance(8)) (rng.chance(50) ? p.addr1 : p.addr3).clear();
    const std::string bytes = encodeRecord(p);
    if (markerPositions(bytes).size() == 1) return p;
  }
}

}  // namespace recordgen
