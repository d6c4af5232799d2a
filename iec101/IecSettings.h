#pragma once
// The four address-like field sizes that IEC 60870-5-101 leaves to the
// parties' agreement. Process-wide; every frame and ASDU reads them at the
// moment it is built or parsed. Changed from the GUI thread only, while no
// exchange runs.

#include <cstdint>

namespace vela {

// Link address field A of FT 1.2 frames: 0, 1 or 2 octets (0 = absent).
uint32_t LinkAddressLength();
void SetLinkAddressLength(uint32_t length);
// Common address of ASDU: 1 or 2 octets.
uint32_t CommonAddressLength();
void SetCommonAddressLength(uint32_t length);
// Cause of transmission: 1 or 2 octets (the second is the originator address).
uint32_t CotLength();
void SetCotLength(uint32_t length);
// Information object address: 1, 2 or 3 octets.
uint32_t IoaLength();
void SetIoaLength(uint32_t length);
// Each setter raises TArkException with its Russian message for a value out of
// range and keeps the previous value.

// Type identification, variable structure qualifier, cause, common address.
uint32_t AsduHeaderLength();

// Number of information elements of elementSize octets in a received ASDU of
// asduLength octets: one address then the elements when sequence is true,
// otherwise an address before every element. Integer division toward zero.
int ElementCount(int asduLength, bool sequence, int elementSize);

// Largest common address of ASDU that commonAddressLength octets carry: 255
// for one octet, 65533 for two (65534 and 65535 stay out of reach as the
// dialog's list ends there).
uint32_t MaxCommonAddress(int commonAddressLength);

// Raises TArkException with a Russian message that says what to choose
// instead when commonAddress is 0 or does not fit commonAddressLength octets;
// a length other than 1 or 2 raises the common-address length message.
void CheckCommonAddressFits(uint32_t commonAddress, int commonAddressLength);

// All four back to the values the program starts with (1, 1, 1, 2).
void RestoreDefaultIecSettings();

}  // namespace vela
