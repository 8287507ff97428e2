// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The limit check where a mission leaves or enters Korvale: before a mission file is written
// (refusing an unflyable mission whole) and after another tool's file was read (warnings only),
// and the settings the pilot must make in the flight app because the CSV cannot carry them.
#pragma once

#include <string>
#include <vector>

#include "litchi/limits.h"
#include "model/types.h"

namespace korvale {

struct MissionWriteCheck {
    std::vector<MissionFinding> warnings; // soft findings of every part, in part order
    double lengthM = 0;                   // flight length of all parts together
};

// Checks every part of a mission that is about to be written. Any hard finding throws Error
// (Limit) whose text lists every hard finding of every part (with the part's number when there
// is more than one part), so nothing is written. Otherwise returns the soft findings, their
// texts likewise carrying the part's number.
MissionWriteCheck CheckMissionForWrite(const std::vector<std::vector<TlitchRec>>& parts,
                                       const MissionCheckOptions& opt);

// The findings on a mission just read from a file: all of them are warnings, since the file is
// someone else's and may have been meant for another drone; hard ones first.
std::vector<MissionFinding> CheckMissionAfterRead(const std::vector<TlitchRec>& recs);

// The status line text for warnings: "" when there are none, else their count and the first.
std::string WarningsStatus(const std::vector<MissionFinding>& warnings);

// The protocol lines of what the pilot must set in the flight app by hand, with the values this
// mission assumes: heading mode, cruising speed, finish action, the altitude reference of the
// first waypoint, the camera pointing straight down and, for a grid mission, the pictures.
std::vector<std::string> ManualSettingsLines(const std::vector<TlitchRec>& recs,
                                             const MissionCheckOptions& opt);

} // namespace korvale
