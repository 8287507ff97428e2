// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The DXF drawing of the plan: control points, border ring, flight segments with their
// picture positions, cut-point labels and connection legs, as a text file for CAD programs.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "model/fileio.h"
#include "model/state.h"
#include "planning/params.h"
#include "planning/plan.h"
#include "planning/plan_cache.h"

namespace korvale {

// Builds the text of a DXF file in memory: a single ENTITIES section of POINT, LINE and TEXT
// entities, group codes right-aligned in three columns, reals in the 23-character form,
// every line ended by CR LF. Only printable ASCII goes into the file.
class DxfWriter {
  public:
    // Starts a new file text (dropping anything built before) with the section header.
    void DxfBegin();
    // Closes the section and the file text; does nothing unless DxfOpen().
    void DxfEnd();

    // Entities; they throw Error when the writer is not open, when a coordinate is not a
    // finite number, or when a text holds anything but printable ASCII.
    void DxfPoint(std::string_view layer, std::string_view ltype, double x, double y, double z);
    void DxfLine(std::string_view layer, std::string_view ltype, double x1, double y1, double z1,
                 double x2, double y2, double z2);
    void DxfText(std::string_view text, std::string_view layer, std::string_view ltype, double x,
                 double y, double z, double rotation, double height);

    bool DxfOpen() const { return open_; }
    const std::string& Text() const { return text_; }
    // Makes room for a text of about this many bytes.
    void Reserve(std::size_t bytes);
    // Hands the text over, leaving the writer empty and closed.
    std::string Release();
    // From now on the text goes on to `sink` in pieces as it grows (and the rest at DxfEnd),
    // so that Text() holds only what has not been passed on yet; nullptr keeps it all.
    void StreamTo(ByteSink* sink) { sink_ = sink; }

  private:
    // Throws Error unless the writer is open, the texts are printable ASCII and the reals
    // finite numbers; an entity is written whole or not at all.
    void Check(std::initializer_list<std::string_view> texts,
               std::initializer_list<double> reals) const;
    void Code(int code);
    void Value(std::string_view value);
    void Real(int code, double v);
    void Head(std::string_view kind, std::string_view layer, std::string_view ltype);
    // Passes the text on to the sink once it has grown past a piece worth a system call.
    void Drain(bool all);

    std::string text_;
    ByteSink* sink_ = nullptr;
    bool open_ = false;
};

// The whole drawing of the plan as it stands in `s`, with photo base A (metres) between
// the pictures of a flight segment. Throws Error, before anything is built, when A is not a
// positive finite number or the pictures would be unreasonably many; throws Error on a
// coordinate that is not a finite number. Index pairs that point outside Points or CutPoints
// are left out.
std::string BuildDxf(const State& s, double A);
// The same drawing from a plan already computed for the state at photo base A (PlanOfState),
// so that a run writing several files plans once.
std::string BuildDxf(const State& s, double A, const FlightPlan& plan);
// The same drawing handed to `sink` piece by piece as it is made; the bytes are those of
// BuildDxf. On an Error part of the drawing may have reached the sink.
void WriteDxf(ByteSink& sink, const State& s, double A, const FlightPlan& plan);

// "Schreib DXF": the file named by EditDXFFileName (also kept in s.DxfFileName), with the
// photo base of NumberBoxA. The file is replaced atomically; on any error (refused photo
// base, write failure) an older file stays as it was and Error is thrown.
void SchreibDXF(State& s, const ParamPageModel& p);
// The same with the plan already computed for the state at NumberBoxA (PlanOfState), streamed
// into the file as it is drawn.
void SchreibDXF(State& s, const ParamPageModel& p, const FlightPlan& plan);
// The same with the plan taken from (and kept in) `plans`: the one "Calc Raster" computed,
// while nothing it was computed from has changed.
void SchreibDXF(State& s, const ParamPageModel& p, PlanCache& plans);

} // namespace korvale
