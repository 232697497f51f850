// Where a location record's fields lie, in bytes from its first byte (the
// marker's). This is the layout's one definition: the decoders, the hex-text
// finder (two characters per byte), the generators and the tests' builders
// take it from here. No dependencies beyond the marker, so that the
// generators can build on their own.
#pragma once

#include <cstdint>

#include "records/Marker.h"

namespace records {

// Four signed little-endian 32-bit coordinates, degrees x CoordinateScale:
// the point, then the second point (the nearest street).
inline constexpr int kCoordinateSize = 4;
inline constexpr int kLon1At = kMarkerSize;
inline constexpr int kLat1At = kLon1At + kCoordinateSize;
// Two bytes between the points that nothing reads; devices store 08 00.
inline constexpr int kUnreadAt = kLat1At + kCoordinateSize;
inline constexpr uint8_t kUnreadBytes[2] = {0x08, 0x00};
inline constexpr int kLon2At = kUnreadAt + 2;
inline constexpr int kLat2At = kLon2At + kCoordinateSize;
// In the details panel's order.
inline constexpr int kCoordinateAt[4] = {kLon1At, kLat1At, kLon2At, kLat2At};

// Three addresses follow each other from here, each a length byte (its
// length plus the bias) and that many Windows-1252 bytes.
inline constexpr int kAddressesAt = kLat2At + kCoordinateSize;
inline constexpr int kAddressCount = 3;
inline constexpr int AddressLengthBias = 27;
// The longest address a length byte can say.
inline constexpr int kMaxAddressLength = 255 - AddressLengthBias;
// A record whose three addresses are empty: the fields in front of the
// addresses and the three length bytes.
inline constexpr int kFixedRecordSize = kAddressesAt + kAddressCount;

static_assert(kLon1At == 14 && kLat1At == 18 && kUnreadAt == 22 && kLon2At == 24 && kLat2At == 28 &&
              kAddressesAt == 32 && kFixedRecordSize == 35);

}  // namespace records
