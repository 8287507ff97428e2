// Reading and writing whole files, with the system's German error messages.
#pragma once

#include <string>
#include <string_view>

namespace korvale {

// Writes the bytes to a temporary file beside `path`, flushes it and renames it over `path`:
// a failure leaves any older file intact and throws Error ("Datei nicht gefunden" for a
// missing folder, "Dateizugriff verweigert", or "E/A-Fehler <errno>").
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Reads the whole file. Throws Error("Datei nicht gefunden"), ("Dateizugriff verweigert") or
// ("E/A-Fehler <errno>").
std::string ReadFileBytes(const std::string& path);

} // namespace korvale
