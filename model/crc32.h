// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The CRC-32 of zip entries, so that every reader of a KMZ checks what it unpacked.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvale {

// CRC-32 as zip stores it (polynomial 0xEDB88320, reflected, start and end inverted).
std::uint32_t Crc32(std::string_view bytes);

} // namespace korvale
