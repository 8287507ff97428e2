// Reading and writing whole files, with the system's German error messages.
#pragma once

#include <string>
#include <string_view>

namespace korvale {

// Writes the bytes to a temporary file beside `path`, flushes it and renames it over `path`:
// a failure leaves any older file intact and throws Error ("Datei nicht gefunden" for a
// missing folder, "Dateizugriff verweigert", or "E/A-Fehler <errno>").
// The temporary file is ".<name>.<random>" in the target's folder and is removed on failure;
// it is synced before the rename. A replaced file keeps its permissions, a new one gets
// 0666 less the umask; a symbolic link is followed, so the link stays and its target is
// replaced. A folder as target fails with "E/A-Fehler 21".
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Reads the whole file. Throws Error("Datei nicht gefunden"), ("Dateizugriff verweigert") or
// ("E/A-Fehler <errno>"); a folder gives "E/A-Fehler 21".
std::string ReadFileBytes(const std::string& path);

} // namespace korvale
