// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "litchi/editor.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "georef/transform.h"
#include "model/format.h"
#include "model/geodesy.h"

namespace korvale {

namespace {

bool InMission(const State& s, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < s.LitchiRecs.size();
}

// Cut toward zero into a 32-bit field. The boxes hold small bounded values; the guard only
// keeps the conversion defined should anything else arrive.
std::int32_t CutToInt(double v) {
    if (!(std::fabs(v) < 2147483647.0)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::trunc(v));
}

// The one shape of every change rule: all waypoints while "Alle ändern" is ticked, else the
// current one if it is part of the mission (an index left behind by a shorter mission is
// ignored rather than written past the end).
template <class Write> void ApplyEdit(State& s, const LitchiPageModel& m, Write write) {
    if (m.CheckBoxAlle) {
        for (TlitchRec& r : s.LitchiRecs) {
            write(r);
        }
    } else if (InMission(s, s.ActRec)) {
        write(s.LitchiRecs[static_cast<std::size_t>(s.ActRec)]);
    }
}

ImagePos ImageOf(const State& s, double lat, double lon) {
    const UtmResult u = GeoToProjectUtm(s, lat, lon);
    return Trafback(s, u.X, u.Y);
}

} // namespace

std::string Label14Text(double speed) {
    return Format("%4.1f", {speed * 3.6});
}

void ShowLitchiCVS(State& s, LitchiPageModel& m, int i) {
    s.ActRec = i;
    // Outside the mission there is nothing to show: every box shows 0.
    const TlitchRec r = InMission(s, i) ? s.LitchiRecs[static_cast<std::size_t>(i)] : TlitchRec{};

    m.NumberBoxLat.SetValue(r.latitude);
    m.NumberBoxLon.SetValue(r.longitude);
    m.NumberBoxAlt.SetValue(r.altitude);
    m.NumberBoxAltMode.SetValue(r.altitudemode);
    m.NumberBoxHead.SetValue(r.heading);
    m.NumberBoxCuSz.SetValue(r.curvesize);
    m.NumberBoxRotDir.SetValue(r.rotationdir);
    m.NumberBoxGimM.SetValue(r.gimbalmode);
    m.NumberBoxGimP.SetValue(r.gimbalpitchangle);
    m.NumberBoxSpeed.SetValue(r.speed);
    m.NumberBoxPictS.SetValue(r.photo_timeinterval);
    m.NumberBoxPictM.SetValue(r.photo_distinterval);
    m.NumberBoxPoiLat.SetValue(r.poi_latitude);
    m.NumberBoxPoiLon.SetValue(r.poi_longitude);
    m.NumberBoxPoiAlt.SetValue(r.poi_altitude);
    m.NumberBoxPoiAltMode.SetValue(r.poi_altitudemode);

    m.NumberBoxWait.SetValue(0);
    m.CheckBoxPhoto = false;
    m.CheckBoxStartRec = false;
    m.CheckBoxStopRec = false;
    m.NumberBoxRotate.SetValue(0);
    m.NumberBoxTiltCam.SetValue(0);
    if (InMission(s, i)) {
        // Later slots overwrite what earlier slots of the same type showed.
        for (const TlitchAction& a : r.Actions) {
            switch (a.actiontype) {
            case 0:
                m.NumberBoxWait.SetValue(a.actionparam / 1000.0); // ms -> s
                break;
            case 1:
                m.CheckBoxPhoto = true;
                break;
            case 2:
                m.CheckBoxStartRec = true;
                break;
            case 3:
                m.CheckBoxStopRec = true;
                break;
            case 4:
                m.NumberBoxRotate.SetValue(a.actionparam);
                break;
            case 5:
                m.NumberBoxTiltCam.SetValue(a.actionparam);
                break;
            default:
                break;
            }
        }
    }
    m.Label14 = Label14Text(m.NumberBoxSpeed.Value());
}

void NumberBoxAltChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxAlt.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.altitude = v; });
}

void NumberBoxAltModeChange(State& s, LitchiPageModel& m) {
    const std::int32_t v = CutToInt(m.NumberBoxAltMode.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.altitudemode = v; });
}

void NumberBoxHeadChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxHead.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.heading = v; });
}

void NumberBoxCuSzChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxCuSz.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.curvesize = v; });
}

void NumberBoxRotDirChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxRotDir.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.rotationdir = v; });
}

void NumberBoxGimMChange(State& s, LitchiPageModel& m) {
    const std::int32_t v = CutToInt(m.NumberBoxGimM.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.gimbalmode = v; });
}

void NumberBoxGimPChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxGimP.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.gimbalpitchangle = v; });
}

void NumberBoxSpeedChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxSpeed.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.speed = v; });
    m.Label14 = Label14Text(m.NumberBoxSpeed.Value());
}

void NumberBoxPictSChange(State& s, LitchiPageModel& m) {
    const std::int32_t v = CutToInt(m.NumberBoxPictS.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.photo_timeinterval = v; });
}

void NumberBoxPictMChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxPictM.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.photo_distinterval = v; });
}

void NumberBoxTiltCamChange(State& s, LitchiPageModel& m) {
    // The box shows the tilt action but sets the camera pitch; the actions stay as they are.
    const auto v = static_cast<float>(CutToInt(m.NumberBoxTiltCam.Value()));
    ApplyEdit(s, m, [v](TlitchRec& r) { r.gimbalpitchangle = v; });
}

void NumberBoxPoiLatChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxPoiLat.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.poi_latitude = v; });
}

void NumberBoxPoiLonChange(State& s, LitchiPageModel& m) {
    const auto v = static_cast<float>(m.NumberBoxPoiLon.Value());
    ApplyEdit(s, m, [v](TlitchRec& r) { r.poi_longitude = v; });
}

void NumberBoxActrecChange(State& s, LitchiPageModel& m) {
    // Setting the bound may clamp the value; it is read afterwards, so a clamp that would fire
    // this rule again ends in the same place.
    const int last = static_cast<int>(s.LitchiRecs.size()) - 1;
    m.NumberBoxActrec.SetMax(last < 0 ? 0 : last);
    s.ActRec = CutToInt(m.NumberBoxActrec.Value());
    ShowLitchiCVS(s, m, s.ActRec);
}

void SetActrecMax(State& s, LitchiPageModel& m, int max) {
    const double before = m.NumberBoxActrec.Raw();
    m.NumberBoxActrec.SetMax(max < 0 ? 0 : max);
    if (m.NumberBoxActrec.Raw() != before) {
        NumberBoxActrecChange(s, m);
    }
}

void DisplayLitchiRecs(State& s, LitchiPageModel& m, Overlay& o) {
    const std::vector<TlitchRec>& recs = s.LitchiRecs;
    if (recs.empty()) {
        return;
    }
    o.RequestFront();
    for (std::size_t i = 0; i + 1 < recs.size(); ++i) {
        const TlitchRec& r = recs[i];
        const TlitchRec& next = recs[i + 1];
        const ImagePos a = ImageOf(s, r.latitude, r.longitude);
        const ImagePos b = ImageOf(s, next.latitude, next.longitude);
        o.Line(ColYellow, a.xb, a.yb, b.xb, b.yb);
        o.Disc(ColYellow, b.xb, b.yb, 5);
        if (r.poi_latitude > 0) {
            // The next waypoint's POI is taken whether or not it has one.
            const ImagePos p = ImageOf(s, r.poi_latitude, r.poi_longitude);
            const ImagePos q = ImageOf(s, next.poi_latitude, next.poi_longitude);
            o.Line(ColCyan, p.xb, p.yb, q.xb, q.yb);
            o.Disc(ColCyan, q.xb, q.yb, 10);
        }
    }
    SetActrecMax(s, m, static_cast<int>(recs.size()) - 1);
}

} // namespace korvale
