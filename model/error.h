// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The one error type of the core: its text is the German message the window shows, its kind
// says what went wrong, so callers and tests can decide without reading the text.
#pragma once

#include <stdexcept>
#include <string>

namespace korvale {

enum class ErrorKind {
    Conversion, // a text that is no number of the expected kind
    File,       // opening, reading, writing or replacing a file failed
    Damaged,    // a file was read but its content is not what it must be
    Refused,    // an input value or state that the operation cannot work with
    Limit,      // the input would exceed a fixed limit (count, size, range of a number)
    Internal,   // a programming error: a bad format string, a missing argument
};

class Error : public std::runtime_error {
  public:
    Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    ErrorKind kind() const { return kind_; }

  private:
    ErrorKind kind_;
};

} // namespace korvale
