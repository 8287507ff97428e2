// The camera and flight parameters of the "Korvale" page as a plain model, and the
// computation of footprint, photo base, strip spacing and picture interval.
#pragma once

#include <string>

#include "model/numberbox.h"

namespace korvale {

struct ParamPageModel {
    using K = NumberBox::Kind;
    // Camera
    std::string EditF = "8.38";
    std::string EditAufloesung = "2.4";
    bool CheckBoxFormat = true;
    std::string CheckBoxFormatCaption = "16 : 9";
    std::string EditXb = "5472";
    std::string EditYb = "3078";
    NumberBox NumberBoxLG{K::Float, 0, 0, 1000, 0, true};
    NumberBox NumberBoxBG{K::Float, 0, 0, 1000, 0, true};
    // Flight
    NumberBox NumberBoxP{K::Integer, 80, 0, 100};
    NumberBox NumberBoxQ{K::Integer, 80, 0, 100};
    NumberBox NumberBoxH{K::Integer, 40, 0, 200};
    NumberBox NumberBoxBA{K::Float, 0, 0, 1000, 1, true};
    NumberBox NumberBoxV{K::Integer, 15, 0, 59};
    // The results show the true figures of the largest plan (MaxPictures pictures).
    NumberBox NumberBoxFlugzeit{K::Integer, 0, 0, 1e9, 0, true};
    // Results
    NumberBox NumberBoxA{K::Float, 10, 0, 1000, 1, true};
    NumberBox NumberBoxB{K::Float, 10, 0, 1000, 1, true};
    NumberBox NumberBoxFrameS{K::Integer, 0, 0, 100, 0, true};
    NumberBox NumberBoxStreifen{K::Integer, 0, 0, 1e9, 0, true};
    NumberBox NumberBoxWeg{K::Integer, 0, 0, 1e12, 0, true};
    NumberBox NumberBoxFlaeche{K::Float, 0, 0, 10000000, 3, true};
    NumberBox NumberBoxBilder{K::Integer, 0, 0, 1e9, 0, true};
    NumberBox NumberBoxRi{K::Float, 0.01, 0.01, 360, 1};
    // Files
    std::string EditDXFFileName = "Flugplanung.dxf";
    std::string EditKVName = "TrafPar.dat";
};

// Recomputes the derived boxes from the inputs. Throws Error (no box changed) on a text that
// is no number or a focal length <= 0. Returns a status line text, empty when there is
// nothing to say (a speed of 0 gives a picture interval of 0 and a note why).
std::string Rechnen(ParamPageModel& p);

// After CheckBoxFormat was toggled: caption and sensor pixels of the new format.
void CheckBoxFormatClick(ParamPageModel& p);

} // namespace korvale
