// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The lines of a text file as every reader of the system takes them.
#pragma once

#include <cstddef>
#include <string_view>

namespace korvale {

// Walks the lines of a text: LF, CR LF and a lone CR (as older Mac programs and some
// spreadsheet exports write) each end a line, and the last line may have no end. A file with
// CR-only line ends is thereby read line by line, never as one long line that hides its content.
class LineSplitter {
  public:
    explicit LineSplitter(std::string_view text) : text_(text) {}

    // The next line without its end; false after the last one.
    bool Next(std::string_view& line) {
        if (pos_ >= text_.size())
            return false;
        std::size_t end = text_.find_first_of("\r\n", pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (end < text_.size() && text_[end] == '\r' && pos_ < text_.size() && text_[pos_] == '\n')
            ++pos_;
        ++number_;
        return true;
    }

    // The number of the line Next returned last, counted from 1.
    long long Number() const { return number_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    long long number_ = 0;
};

} // namespace korvale
