// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "exchange/kmz_entry.h"

#include <cstddef>

#include "model/crc32.h"
#include "model/error.h"

namespace korvale {

std::string ReadCheckedZipEntry(zip_file_t* f, const zip_stat_t& st, const std::string& damaged) {
    // Read to the end and one chunk beyond the declared size: an entry longer than declared
    // would be cut silently otherwise.
    std::string text;
    text.reserve(static_cast<std::size_t>(st.size));
    char buf[65536];
    int failure = ZIP_ER_OK;
    for (;;) {
        const zip_int64_t n = zip_fread(f, buf, sizeof buf);
        if (n < 0)
            failure = zip_error_code_zip(zip_file_get_error(f));
        if (n <= 0)
            break;
        text.append(buf, static_cast<std::size_t>(n));
        if (text.size() > st.size)
            break;
    }
    zip_fclose(f);
    if (failure == ZIP_ER_CRC || (failure == ZIP_ER_OK && text.size() == st.size &&
                                  (st.valid & ZIP_STAT_CRC) && Crc32(text) != st.crc))
        throw Error(ErrorKind::Damaged, damaged + "ihre Prüfsumme (CRC) stimmt nicht.");
    if (failure != ZIP_ER_OK)
        throw Error(ErrorKind::Damaged, damaged + "sie lässt sich nicht entpacken.");
    if (text.size() != st.size)
        throw Error(ErrorKind::Damaged,
                    damaged + "ihre Länge stimmt nicht mit der angegebenen überein.");
    return text;
}

} // namespace korvale
