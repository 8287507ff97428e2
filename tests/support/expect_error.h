// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Checks that an operation fails with the project's error of the expected kind and that its
// message holds the decisive text, so that a test does not pass on some other failure that
// happens to share a word.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "model/error.h"

namespace korvale::test {

inline const char* KindName(ErrorKind k) {
    switch (k) {
    case ErrorKind::Conversion:
        return "Conversion";
    case ErrorKind::File:
        return "File";
    case ErrorKind::Damaged:
        return "Damaged";
    case ErrorKind::Refused:
        return "Refused";
    case ErrorKind::Limit:
        return "Limit";
    case ErrorKind::Internal:
        return "Internal";
    }
    return "?";
}

// Runs f; returns the message of the Error it throws ("" and a failure otherwise) after
// checking its kind and that the message contains `decisive`.
template <typename F> std::string ExpectError(F&& f, ErrorKind kind, const std::string& decisive) {
    try {
        f();
    } catch (const Error& e) {
        const std::string message = e.what();
        EXPECT_EQ(KindName(e.kind()), std::string(KindName(kind))) << message;
        EXPECT_NE(message.find(decisive), std::string::npos)
            << "'" << decisive << "' not in: " << message;
        return message;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "not the project's error: " << e.what();
        return "";
    }
    ADD_FAILURE() << "no error; expected: " << decisive;
    return "";
}

// The first line of a message: the system's own text of a file or conversion error.
inline std::string FirstLine(const std::string& message) {
    return message.substr(0, message.find('\n'));
}

} // namespace korvale::test
