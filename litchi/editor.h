// The waypoint editor of the "Litchi CSV" page as a plain model: its boxes, the change rules
// that write edits into the mission, showing a waypoint, and drawing the mission.
#pragma once

#include <string>

#include "model/numberbox.h"
#include "model/overlay.h"
#include "model/state.h"

namespace korvale {

struct LitchiPageModel {
    using K = NumberBox::Kind;
    NumberBox NumberBoxLat{K::Float, 0, -90, 90, 6, true};
    NumberBox NumberBoxLon{K::Float, 0, -180, 180, 6, true};
    NumberBox NumberBoxAlt{K::Float, 0, -50, 1000, 1};
    NumberBox NumberBoxAltMode{K::Float, 0, 0, 1, 0};
    NumberBox NumberBoxHead{K::Float, 0, 0, 360, 4, true};
    NumberBox NumberBoxCuSz{K::Float, 0, 0, 100, 1};
    NumberBox NumberBoxRotDir{K::Float, 0, 0, 360, 1};
    NumberBox NumberBoxGimM{K::Float, 0, 0, 2, 0};
    NumberBox NumberBoxGimP{K::Float, 0, -90, 0, 1};
    NumberBox NumberBoxSpeed{K::Float, 0, 0, 100, 1};
    std::string Label14 = "0";
    NumberBox NumberBoxPictS{K::Float, 0, -1, 100, 1};
    NumberBox NumberBoxPictM{K::Float, 0, -1, 500, 1, true};
    NumberBox NumberBoxTiltCam{K::Float, 0, -90, 90, 0};
    NumberBox NumberBoxWait{K::Float, 0, 0, 1000, 0};
    NumberBox NumberBoxRotate{K::Float, 0, 0, 360, 0, true};
    NumberBox NumberBoxPoiLat{K::Float, 0, 0, 360, 6};
    NumberBox NumberBoxPoiLon{K::Float, 0, 0, 100, 6};
    NumberBox NumberBoxPoiAlt{K::Float, 0, 0, 360, 1};
    NumberBox NumberBoxPoiAltMode{K::Float, 0, 0, 1, 0};
    bool CheckBoxAlle = false;
    bool CheckBoxPhoto = false;
    bool CheckBoxStartRec = false;
    bool CheckBoxStopRec = false;
    std::string EditCVS = "LitchiLines.csv";
    NumberBox NumberBoxActrec{K::Float, 0, 0, 1000, 0};
};

} // namespace korvale
