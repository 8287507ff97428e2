// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Test helper: GDAL's ogrinfo/gdalinfo (Debian gdal-bin) read our files back as a GIS program
// would. Only for tests; the program itself never runs them.
#pragma once

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace korvale::testing {

namespace fs = std::filesystem;

struct Run {
    int status;
    std::string out;
    std::string err;
};

// Runs a shell command; stdout and stderr are kept apart so that warnings can be checked.
inline Run Shell(const std::string& cmd, const TempDir& dir) {
    const std::string errFile = dir.File("stderr.txt");
    Run r{};
    FILE* p = popen((cmd + " 2>" + errFile).c_str(), "r");
    if (!p)
        return {-1, "", "popen failed"};
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    r.status = pclose(p);
    std::ifstream e(errFile);
    r.err.assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
    return r;
}

// One feature as ogrinfo lists it: its attribute lines "name (Type) = value" and the numbers
// of its geometry, in order (x, y, x, y, ...).
struct OgrFeature {
    std::vector<std::pair<std::string, std::string>> fields;
    std::string geometryType;
    std::vector<double> coords;

    std::string Field(const std::string& name) const {
        for (const auto& f : fields)
            if (f.first == name)
                return f.second;
        return "<none>";
    }
};

inline std::vector<OgrFeature> ParseOgrinfo(const std::string& text) {
    std::vector<OgrFeature> out;
    static const std::regex field(R"(^  (\w+) \((\w+)\) = (.*)$)");
    static const std::regex geom(R"(^  (POINT|LINESTRING|POLYGON|MULTIPOLYGON)[ Z]*\((.*)\)$)");
    static const std::regex number(R"(-?[0-9]+(\.[0-9]+)?(e[-+]?[0-9]+)?)");
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        std::smatch m;
        if (line.rfind("OGRFeature(", 0) == 0) {
            out.emplace_back();
        } else if (!out.empty() && std::regex_match(line, m, field)) {
            out.back().fields.emplace_back(m[1].str(), m[3].str());
        } else if (!out.empty() && std::regex_match(line, m, geom)) {
            out.back().geometryType = m[1].str();
            const std::string body = m[2].str();
            for (auto it = std::sregex_iterator(body.begin(), body.end(), number);
                 it != std::sregex_iterator(); ++it)
                out.back().coords.push_back(std::stod(it->str()));
        }
    }
    return out;
}

} // namespace korvale::testing
