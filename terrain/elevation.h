// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The ground under the plan: an elevation model behind a small interface, so heights above
// ground are computed and tested without files; the GDAL reader (terrain/gdal_model.h) is one
// implementation, tests bring their own.
#pragma once

#include <string>
#include <vector>

namespace korvale {

// A ground position of the project: easting with the zone prefix and northing from the
// equator (negative in the south), metres, as the plan holds them.
struct GroundPos {
    double E = 0;
    double N = 0;
};

class ElevationModel {
  public:
    virtual ~ElevationModel() = default;

    // The ground heights at the positions, metres in the model's own vertical datum (only
    // differences of heights from one model are used, so the datum cancels). Bilinear between
    // cell centres. Throws Error (Refused) naming the first position that lies outside the
    // model or on a no-data cell; never returns a made-up value.
    virtual std::vector<double> Heights(const std::vector<GroundPos>& at) const = 0;

    // The model's cell size on the ground, metres (the smaller side): the path is sampled at
    // least this densely.
    virtual double CellSizeM() const = 0;

    // Where the straight leg a -> b is sampled, as fractions of its length, ascending, both ends
    // included: at least once per cell size, and at every place where the interpolation bends
    // (crossing a row or column of cell centres), so the ground between two samples is
    // straight but for the small twist of bilinear cells. The default samples every cell size.
    virtual std::vector<double> SampleFractions(GroundPos a, GroundPos b) const;

    // The file or name shown in messages.
    virtual std::string Name() const = 0;
};

} // namespace korvale
