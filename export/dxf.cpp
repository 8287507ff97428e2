// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/dxf.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <utility>

#include "model/error.h"
#include "model/fileio.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "planning/plan.h"

namespace korvale {

namespace {

constexpr std::string_view kEol = "\r\n";

// The largest magnitude whose 15-digit real text reads back as a finite number: the largest
// doubles round up to 1.79769313486232E+0308, which is beyond the double range.
constexpr double kMaxDxfReal = 1.79769313486231e308;

// Group codes are written for every entity; format each code once.
const std::string& GroupCode(int code) {
    static const std::array<std::string, 100> codes = [] {
        std::array<std::string, 100> c;
        for (int i = 0; i < 100; ++i) {
            c[static_cast<std::size_t>(i)] = Format("%3d", {i});
        }
        return c;
    }();
    return codes[static_cast<std::size_t>(code)];
}

void CheckPhotoBase(double A) {
    if (!(std::isfinite(A) && A > 0)) {
        throw Error(ErrorKind::Refused,
                    "Der Bildabstand muss größer als 0 m sein (Längsüberdeckung unter 100 %): "
                    "die DXF-Datei wurde nicht geschrieben.");
    }
}

bool ValidPair(const TLine& line, std::size_t size) {
    return line[0] >= 0 && line[1] >= 0 && static_cast<std::size_t>(line[0]) < size &&
           static_cast<std::size_t>(line[1]) < size;
}

} // namespace

void DxfWriter::Check(std::initializer_list<std::string_view> texts,
                      std::initializer_list<double> reals) const {
    if (!open_) {
        // The runtime's message for writing to a file that is not open.
        throw Error(ErrorKind::Internal, "E/A-Fehler 103");
    }
    // A line break or a non-ASCII byte in a value would break the group structure or the
    // file's single-byte encoding.
    for (const std::string_view text : texts) {
        for (const char ch : text) {
            const auto u = static_cast<unsigned char>(ch);
            if (u < 0x20 || u > 0x7E) {
                throw Error(ErrorKind::Refused,
                            "DXF: nur druckbare ASCII-Zeichen sind in Texten erlaubt.");
            }
        }
    }
    for (const double v : reals) {
        if (!std::isfinite(v)) {
            throw Error(ErrorKind::Refused,
                        "DXF: eine Koordinate ist keine endliche Zahl; die DXF-Datei wurde "
                        "nicht geschrieben.");
        }
        if (std::fabs(v) > kMaxDxfReal) {
            throw Error(ErrorKind::Refused,
                        "DXF: der Wert " + FormatGeneral(v) +
                            " ist zu groß für eine DXF-Datei; die DXF-Datei wurde nicht "
                            "geschrieben.");
        }
    }
}

void DxfWriter::Code(int code) {
    text_ += GroupCode(code);
    text_ += kEol;
}

void DxfWriter::Value(std::string_view value) {
    text_ += value;
    text_ += kEol;
}

void DxfWriter::Real(int code, double v) {
    Code(code);
    AppendDxfReal(text_, v);
    text_ += kEol;
}

void DxfWriter::Head(std::string_view kind, std::string_view layer, std::string_view ltype) {
    Code(0);
    Value(kind);
    Code(8);
    Value(layer);
    Code(6);
    Value(ltype);
}

void DxfWriter::Drain(bool all) {
    // 64 KiB keeps the text small while each piece is still worth a call of the sink.
    if (sink_ != nullptr && (all || text_.size() >= (std::size_t{1} << 16))) {
        sink_->Append(text_);
        text_.clear();
    }
}

void DxfWriter::Reserve(std::size_t bytes) {
    text_.reserve(bytes);
}

void DxfWriter::DxfBegin() {
    text_.clear();
    open_ = true;
    Code(0);
    Value("SECTION");
    Code(2);
    Value("ENTITIES");
}

void DxfWriter::DxfEnd() {
    if (!open_) {
        return;
    }
    Code(0);
    Value("ENDSEC");
    Code(0);
    Value("EOF");
    open_ = false;
    Drain(true);
}

std::string DxfWriter::Release() {
    open_ = false;
    std::string out = std::move(text_);
    text_.clear();
    return out;
}

void DxfWriter::DxfPoint(std::string_view layer, std::string_view ltype, double x, double y,
                         double z) {
    Check({layer, ltype}, {x, y, z});
    Head("POINT", layer, ltype);
    Real(10, x);
    Real(20, y);
    Real(30, z);
    Drain(false);
}

void DxfWriter::DxfLine(std::string_view layer, std::string_view ltype, double x1, double y1,
                        double z1, double x2, double y2, double z2) {
    Check({layer, ltype}, {x1, y1, z1, x2, y2, z2});
    Head("LINE", layer, ltype);
    Real(10, x1);
    Real(20, y1);
    Real(30, z1);
    Real(11, x2);
    Real(21, y2);
    Real(31, z2);
    Drain(false);
}

void DxfWriter::DxfText(std::string_view text, std::string_view layer, std::string_view ltype,
                        double x, double y, double z, double rotation, double height) {
    Check({text, layer, ltype}, {x, y, z, rotation, height});
    Head("TEXT", layer, ltype);
    Real(10, x);
    Real(20, y);
    Real(30, z);
    Real(40, height);
    Code(1);
    Value(text);
    Code(50);
    Value(Format("%10.4f", {rotation}));
    Drain(false);
}

namespace {

// The drawing's planning refusals say which file was not written.
template <class Plan> auto PlanForDxf(double A, Plan plan) {
    CheckPhotoBase(A);
    try {
        return plan();
    } catch (const Error& e) {
        throw Error(e.kind(), std::string(e.what()) + "\nDie DXF-Datei wurde nicht geschrieben.");
    }
}

FlightPlan PlanForDxf(const State& s, double A) {
    return PlanForDxf(A, [&] { return PlanOfState(s, A, 0); });
}

} // namespace

std::string BuildDxf(const State& s, double A) {
    return BuildDxf(s, A, PlanForDxf(s, A));
}

std::string BuildDxf(const State& s, double A, const FlightPlan& plan) {
    CheckPhotoBase(A);
    StringSink out;

    // Room for the whole text at once: a POINT takes 133 bytes or less, a LINE or TEXT 215.
    double legPieces = 0;
    for (const FlightLeg& leg : plan.legs)
        legPieces += static_cast<double>(leg.points.size());
    const double points = static_cast<double>(plan.pictures.size() + plan.lines.size()) +
                          static_cast<double>(s.Points.size());
    const double others = static_cast<double>(s.BorderLines.size()) +
                          static_cast<double>(plan.lines.size()) * 3 + legPieces;
    out.text.reserve(static_cast<std::size_t>(points * 133 + others * 215 + 64));
    WriteDxf(out, s, A, plan);
    return std::move(out.text);
}

void WriteDxf(ByteSink& sink, const State& s, double A, const FlightPlan& plan) {
    CheckPhotoBase(A);
    DxfWriter w;
    w.StreamTo(&sink);
    w.DxfBegin();

    for (const TPt& p : s.Points) {
        if (p.Typ == KindControl) {
            w.DxfPoint("Eckpunkte", "", p.E, p.N, 0);
        }
    }

    for (const TLine& edge : s.BorderLines) {
        if (!ValidPair(edge, s.Points.size())) {
            continue;
        }
        const TPt& p = s.Points[static_cast<std::size_t>(edge[0])];
        const TPt& q = s.Points[static_cast<std::size_t>(edge[1])];
        w.DxfLine("Umring", "", p.E, p.N, 0, q.E, q.N, 0);
    }

    // Each line in flight order with its pictures as the map shows them, and the one more at
    // its end that only the drawing file has.
    for (const FlightLine& l : plan.lines) {
        w.DxfLine("FlightLine", "", l.start.E, l.start.N, 0, l.end.E, l.end.N, 0);
        for (std::size_t i = l.firstPicture; i < l.firstPicture + l.pictureCount; ++i) {
            w.DxfPoint("Picture", "", plan.pictures[i].at.E, plan.pictures[i].at.N, 0);
        }
        if (l.endPicture) {
            w.DxfPoint("Picture", "", l.endPictureAt.E, l.endPictureAt.N, 0);
        }
    }

    // Labels in list order, each cut point under its own number.
    for (const TLine& seg : s.FlightSegs) {
        if (!ValidPair(seg, s.CutPoints.size())) {
            continue;
        }
        for (const int idx : seg) {
            const Tpunkt& c = s.CutPoints[static_cast<std::size_t>(idx)];
            w.DxfText(Format("%d", {idx}), "FlightLine", "", c[0], c[1], 0, 0.1, 10);
        }
    }

    // Connection legs from the end of each line to the start of the next, bent inside the
    // area where the straight way would leave it.
    for (const FlightLeg& leg : plan.legs) {
        for (std::size_t i = 0; i + 1 < leg.points.size(); ++i) {
            const PlanPt& a = leg.points[i];
            const PlanPt& b = leg.points[i + 1];
            w.DxfLine("FlightLine", "", a.E, a.N, 0, b.E, b.N, 0);
        }
    }

    w.DxfEnd();
}

void SchreibDXF(State& s, const ParamPageModel& p) {
    s.DxfFileName = p.EditDXFFileName;
    const double A = p.NumberBoxA.Value();
    const FlightPlan plan = PlanForDxf(s, A);
    SchreibDXF(s, p, plan);
}

void SchreibDXF(State& s, const ParamPageModel& p, PlanCache& plans) {
    s.DxfFileName = p.EditDXFFileName;
    const double A = p.NumberBoxA.Value();
    // The drawing ignores the flight time, so the plan of the boxes' speed serves it as well.
    const std::shared_ptr<const FlightPlan> plan =
        PlanForDxf(A, [&] { return plans.Of(s, A, p.NumberBoxV.Value()); });
    SchreibDXF(s, p, *plan);
}

void SchreibDXF(State& s, const ParamPageModel& p, const FlightPlan& plan) {
    s.DxfFileName = p.EditDXFFileName;
    const double A = p.NumberBoxA.Value();
    CheckPhotoBase(A);
    StreamFileAtomic(s.DxfFileName, [&](ByteSink& sink) { WriteDxf(sink, s, A, plan); });
}

} // namespace korvale
