// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// What a folder holds, safe for folders with pipes, sockets and devices in them: tests compare
// it before and after a refused operation (nothing created, changed or left behind).
#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace korvale::test {

// Every entry with its kind: the bytes of a regular file, the target of a link, the kind of
// any other file, which is never opened (a pipe would block, a device never end).
inline std::map<std::string, std::string> FolderState(const std::filesystem::path& dir) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        const fs::file_status st = fs::symlink_status(e.path());
        if (fs::is_symlink(st)) {
            out[name] = "link -> " + fs::read_symlink(e.path()).string();
        } else if (fs::is_regular_file(st)) {
            std::ifstream in(e.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            out[name] = bytes.str();
        } else {
            out[name] = "<special " + std::to_string(static_cast<int>(st.type())) + ">";
        }
    }
    return out;
}

} // namespace korvale::test
