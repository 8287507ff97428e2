// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The tile-map copy on a screen with two device pixels per page pixel.
#include "tiles_fixture.h"

namespace windowtest {
namespace {

// Before the application starts: the whole program runs at device pixel ratio 2.
const bool kScaled = qputenv("QT_SCALE_FACTOR", "2");

TEST_F(TileMapTest, CopyAtDevicePixelRatioTwoArrivesTiedToTheGround) {
    ASSERT_TRUE(kScaled);
    ShowLocalTiles();
    EXPECT_EQ(w->WebBrowser1->devicePixelRatioF(), 2.0);
    const korvale::WorldPixel origin = CentreOnTiles();
    WaitForTiles(origin);
    CopyWhenLoaded();
    CheckCopy(origin, 2);
}

} // namespace
} // namespace windowtest
