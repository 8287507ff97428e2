// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Checks shared by the fuzz targets. A failed check aborts with a message, so libFuzzer keeps
// the input as a crash; an exception other than korvale::Error aborts the same way, since a
// reader of untrusted bytes may fail only with the project's own error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "model/error.h"
#include "model/state.h"

namespace korvale::fuzz {

[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : ::korvale::fuzz::Fail(#cond, __FILE__, __LINE__))

// Runs one input. A korvale::Error that the target did not expect, or any other exception,
// ends the run as a finding.
template <class Body> int Run(Body&& body) {
    try {
        body();
    } catch (const korvale::Error& e) {
        std::fprintf(stderr, "unexpected korvale::Error (kind %d): %s\n",
                     static_cast<int>(e.kind()), e.what());
        std::abort();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "foreign exception %s: %s\n", typeid(e).name(), e.what());
        std::abort();
    } catch (...) {
        std::fprintf(stderr, "foreign exception of unknown type\n");
        std::abort();
    }
    return 0;
}

// Runs a step that must succeed; a korvale::Error from it is a finding, named by `what`.
template <class Step> auto MustSucceed(const char* what, Step&& step) -> decltype(step()) {
    try {
        return step();
    } catch (const korvale::Error& e) {
        std::fprintf(stderr, "fuzz check failed: %s: korvale::Error (kind %d): %s\n", what,
                     static_cast<int>(e.kind()), e.what());
        std::fflush(stderr);
        std::abort();
    }
}

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Same bits: NaN equals itself and -0 differs from 0, so a round trip that changes either is
// seen.
template <class T> bool SameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

inline bool SamePoint(const TPt& a, const TPt& b) {
    return SameBits(a.B, b.B) && SameBits(a.L, b.L) && SameBits(a.E, b.E) && SameBits(a.N, b.N) &&
           SameBits(a.c, b.c) && SameBits(a.xb, b.xb) && SameBits(a.yb, b.yb) && a.Typ == b.Typ;
}

inline bool SamePoints(const std::vector<TPt>& a, const std::vector<TPt>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!SamePoint(a[i], b[i]))
            return false;
    }
    return true;
}

inline bool SameZones(const std::vector<std::vector<TPt>>& a,
                      const std::vector<std::vector<TPt>>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SamePoints(a[i], b[i]))
            return false;
    return true;
}

inline bool SameRec(const TlitchRec& a, const TlitchRec& b) {
    bool same =
        SameBits(a.latitude, b.latitude) && SameBits(a.longitude, b.longitude) &&
        SameBits(a.altitude, b.altitude) && SameBits(a.heading, b.heading) &&
        SameBits(a.curvesize, b.curvesize) && SameBits(a.rotationdir, b.rotationdir) &&
        a.gimbalmode == b.gimbalmode && SameBits(a.gimbalpitchangle, b.gimbalpitchangle) &&
        a.altitudemode == b.altitudemode && SameBits(a.speed, b.speed) &&
        SameBits(a.poi_latitude, b.poi_latitude) && SameBits(a.poi_longitude, b.poi_longitude) &&
        SameBits(a.poi_altitude, b.poi_altitude) && a.poi_altitudemode == b.poi_altitudemode &&
        a.photo_timeinterval == b.photo_timeinterval &&
        SameBits(a.photo_distinterval, b.photo_distinterval);
    for (std::size_t k = 0; k < a.Actions.size(); ++k) {
        same = same && a.Actions[k].actiontype == b.Actions[k].actiontype &&
               SameBits(a.Actions[k].actionparam, b.Actions[k].actionparam);
    }
    return same;
}

inline bool SameRecs(const std::vector<TlitchRec>& a, const std::vector<TlitchRec>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!SameRec(a[i], b[i]))
            return false;
    }
    return true;
}

// Every field of the state, bit for bit.
inline bool SameState(const State& a, const State& b) {
    const bool orbit =
        a.Orbit.has_value() == b.Orbit.has_value() &&
        (!a.Orbit || (SamePoints(a.Orbit->P, b.Orbit->P) && a.Orbit->L == b.Orbit->L));
    return SamePoints(a.Points, b.Points) && SamePoint(a.DownPt, b.DownPt) &&
           SamePoint(a.UpPt, b.UpPt) && a.SelIdx == b.SelIdx && SameBits(a.TrafO, b.TrafO) &&
           SameBits(a.TrafA, b.TrafA) && SameBits(a.TrafM, b.TrafM) &&
           SameBits(a.TrafYbs, b.TrafYbs) && SameBits(a.TrafXbs, b.TrafXbs) &&
           SameBits(a.TrafYs, b.TrafYs) && SameBits(a.TrafXs, b.TrafXs) &&
           SameBits(a.BorderEMin, b.BorderEMin) && SameBits(a.BorderEMax, b.BorderEMax) &&
           SameBits(a.BorderNMin, b.BorderNMin) && SameBits(a.BorderNMax, b.BorderNMax) &&
           a.BorderIdx == b.BorderIdx && a.BorderLines == b.BorderLines &&
           a.FreeLines == b.FreeLines && a.CutPoints == b.CutPoints &&
           a.FlightSegs == b.FlightSegs && a.DxfFileName == b.DxfFileName &&
           SameRecs(a.LitchiRecs, b.LitchiRecs) && a.ActRec == b.ActRec && orbit &&
           SameZones(a.Zones, b.Zones) && SameBits(a.ZoneBufferM, b.ZoneBufferM);
}

// A state with something in every part, as a session has it before a file is read: what a
// failed read must leave exactly as it was.
inline State BusyState() {
    State s;
    const double coords[][4] = {{32'690'512.25, 5'334'120.5, 120, 300},
                                {32'690'700.0, 5'334'100.0, 400, 310},
                                {32'690'650.0, 5'333'900.0, 380, 620},
                                {0, 0, 210, 480}};
    std::uint8_t kind = KindControl;
    for (const auto& c : coords) {
        TPt p;
        p.E = c[0];
        p.N = c[1];
        p.B = c[0] == 0 ? 0 : 48.1;
        p.L = c[0] == 0 ? 0 : 11.5;
        p.xb = static_cast<float>(c[2]);
        p.yb = static_cast<float>(c[3]);
        p.Typ = kind;
        kind = KindBorder;
        s.Points.push_back(p);
    }
    s.TrafO = 0.61;
    s.TrafA = -0.02;
    s.TrafM = 0.6103;
    s.TrafYbs = 410;
    s.TrafXbs = 300;
    s.TrafYs = 32'690'620.0;
    s.TrafXs = 5'334'040.0;
    s.BorderIdx = {1, 2, 3};
    s.BorderLines = {{1, 2}, {2, 3}, {3, 1}};
    s.BorderEMin = 32'690'650.0;
    s.BorderEMax = 32'690'700.0;
    s.BorderNMin = 5'333'900.0;
    s.BorderNMax = 5'334'100.0;
    s.CutPoints = {{32'690'660.0, 5'334'000.0}, {32'690'690.0, 5'334'000.0}};
    s.FlightSegs = {{0, 1}};
    TPt zoneCorner;
    zoneCorner.E = 32'690'670.0;
    zoneCorner.N = 5'334'010.0;
    zoneCorner.xb = 395;
    zoneCorner.yb = 420;
    s.Zones = {{zoneCorner}};
    TlitchRec r;
    r.latitude = 48.1F;
    r.longitude = 11.5F;
    r.altitude = 40;
    r.speed = 4.2F;
    r.Actions[0].actiontype = 1;
    s.LitchiRecs = {r, r};
    s.LitchiRecs[1].latitude = 48.2F;
    s.ActRec = 1;
    s.DxfFileName = "Flugplanung.dxf";
    return s;
}

// A text fit for a message box: well-formed UTF-8 without control characters other than the
// line break.
inline bool ShowableText(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        if (c < 0x80) {
            if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F)
                return false;
            n = 1;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 3;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 4;
        } else {
            return false;
        }
        if (i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            const auto cc = static_cast<unsigned char>(s[i + k]);
            if (cc < 0x80 || cc > 0xBF)
                return false;
        }
        // Overlong three-byte forms, UTF-16 surrogates and code points past U+10FFFF.
        const auto c1 = n > 1 ? static_cast<unsigned char>(s[i + 1]) : 0u;
        if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F) || (c == 0xF0 && c1 < 0x90) ||
            (c == 0xF4 && c1 > 0x8F))
            return false;
        i += n;
    }
    return true;
}

} // namespace korvale::fuzz
