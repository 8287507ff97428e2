// The one error type of the core: its text is the German message the window shows.
#pragma once

#include <stdexcept>
#include <string>

namespace korvale {

class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

} // namespace korvale
