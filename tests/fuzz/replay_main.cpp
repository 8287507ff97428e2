// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Replays a fuzz target's seeds as an ordinary test: every file of the folders (or the files)
// named on the command line goes once through LLVMFuzzerTestOneInput, in name order. A failed
// check aborts with its message; the file named last on stderr is the one that did it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path arg(argv[i]);
        if (fs::is_directory(arg)) {
            for (const auto& entry : fs::directory_iterator(arg))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
        } else if (fs::is_regular_file(arg)) {
            files.push_back(arg);
        } else {
            std::fprintf(stderr, "Keine Datei und kein Ordner: %s\n", argv[i]);
            return 2;
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "Keine Eingaben zum Abspielen.\n");
        return 2;
    }
    for (const fs::path& f : files) {
        std::fprintf(stderr, "%s\n", f.string().c_str());
        std::ifstream in(f, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
        // libFuzzer hands over a buffer of exactly the input's size; so does this, to keep
        // AddressSanitizer seeing a read past its end.
        std::vector<std::uint8_t> exact(bytes.begin(), bytes.end());
        LLVMFuzzerTestOneInput(exact.data(), exact.size());
    }
    std::printf("%zu Eingaben ohne Befund.\n", files.size());
    return 0;
}
