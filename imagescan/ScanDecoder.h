// The memory-image scan's own record decoder. It reads the same layout as
// the main window's decoder and differs only where the scan must be wary of
// arbitrary card bytes: an address whose length byte is below the bias, or
// that holds a control byte, stops the decoding of addresses for that
// record, and the addresses after it stay blank. An empty address is read
// as the main window's decoder reads it: "", and the next one follows.
// Precision code 3 is spelt out as "Numéro de rue".
#pragma once

#include <cstdint>
#include <string>

#include "framework/core/MemoryBlock.h"
#include "records/Record.h"

namespace imagescan {

// The record whose marker is at p. `written` tells how many labels, in
// panel order, the decoder writes; the others are "".
records::RecordTexts Decoupe(const fw::MemoryBlock& mb, int64_t p);

// Signed little-endian 32-bit value at off; 0 when it is not wholly inside.
int32_t calcval(const fw::MemoryBlock& mb, int64_t off);

// One address string whose length byte is at `start`. True when read whole;
// false when the length byte gives a length below 1 (text "", length the
// byte minus the bias; Decoupe still shows an empty address as "") or when
// a byte below 32 (or the end of the block) stops it (length and text: the
// characters before that byte). `text` carries the stored bytes unchanged.
bool getChaine(const fw::MemoryBlock& mb, int64_t start, int32_t& length, std::string& text);

}  // namespace imagescan
