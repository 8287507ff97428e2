// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// An independent reading of a KMZ for the tests: the archive's entries through libzip and each
// XML file through pugixml, without any type of the writer or reader under test.
#pragma once

#include <zip.h>

#include <map>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace korvale::test {

struct KmzEntries {
    std::vector<std::string> names;
    std::map<std::string, std::string> text;
};

inline KmzEntries UnzipAll(const std::string& bytes) {
    KmzEntries out;
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
    zip_t* z = src ? zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &err) : nullptr;
    zip_error_fini(&err);
    EXPECT_NE(z, nullptr) << "no zip";
    if (!z) {
        if (src)
            zip_source_free(src);
        return out;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
        std::string data(st.size, '\0');
        zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
        EXPECT_EQ(zip_fread(f, data.data(), st.size), static_cast<zip_int64_t>(st.size));
        zip_fclose(f);
        out.names.emplace_back(st.name);
        out.text[st.name] = data;
    }
    zip_discard(z);
    return out;
}

// A zip of the given entries (name, text) in that order, for files the writer would not make;
// `method` is libzip's (deflate by default, ZIP_CM_STORE for stored entries).
inline std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries,
                       zip_int32_t method = ZIP_CM_DEFAULT) {
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, &err);
    zip_t* z = zip_open_from_source(src, ZIP_TRUNCATE, &err);
    zip_error_fini(&err);
    zip_source_keep(src);
    for (const auto& [name, text] : entries) {
        const zip_int64_t i =
            zip_file_add(z, name.c_str(), zip_source_buffer(z, text.data(), text.size(), 0), 0);
        EXPECT_GE(i, 0);
        EXPECT_EQ(zip_set_file_compression(z, static_cast<zip_uint64_t>(i), method, 0), 0);
    }
    zip_close(z);
    zip_stat_t st;
    zip_source_stat(src, &st);
    std::string out(st.size, '\0');
    zip_source_open(src);
    zip_source_read(src, out.data(), st.size);
    zip_source_close(src);
    zip_source_free(src);
    return out;
}

// Text of a child by path "a/b/c" below n.
inline std::string At(pugi::xml_node n, const char* path) {
    return n.first_element_by_path(path).text().get();
}

} // namespace korvale::test
