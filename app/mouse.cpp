// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Mouse on the map copy: placing, picking, moving and deleting points, measuring, orbit; undo
// and redo of the point edits.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <any>
#include <utility>

#include "georef/clipboard.h"
#include "georef/transform.h"
#include "imageviewer.h"
#include "mainform.h"
#include "model/format.h"
#include "model/geodesy.h"
#include "model/tools.h"
#include "numberboxwidget.h"
#include "planning/edits.h"

namespace {

korvale::MapPos MapPosOf(const TMainForm& f, float X, float Y) {
    // The pointer first becomes a map-copy pixel, undoing zoom and scroll, so a point lands
    // where it would have landed at zoom 1; heights are read at every event: the map position
    // is the window client position the map copy pixel has at zoom 1.
    const QPointF image = f.ImageViewer1->transform().ToImage(QPointF(X, Y));
    return korvale::ViewToMap(static_cast<float>(image.x()), static_cast<float>(image.y()),
                              f.ToolBar1->height(), f.Tabcontrol1->tabBar()->height());
}

} // namespace

int TMainForm::SelPoint(float x, float y) const {
    return korvale::SelPoint(state_, x, y);
}

void TMainForm::ImageViewer2MouseDown(QObject* sender, MouseButton button, float X, float Y) {
    if (sender != ImageViewer2)
        return;
    const korvale::MapPos p = MapPosOf(*this, X, Y);
    if (button == MouseButton::Middle)
        return;
    if (button == MouseButton::Right) {
        // The marker appears with the redraw of the release.
        const std::size_t before = state_.Points.size();
        ReadClipboardPoint(p.xb, p.yb);
        if (state_.Points.size() != before)
            PointsChanged();
        return;
    }
    const korvale::ToolState t = Tools();
    switch (korvale::LeftPressRule(t)) {
    case korvale::PressRule::Delete:
        state_.SelIdx = SelPoint(p.xb, p.yb);
        // The edit brings the ring, the free line and the plan in line with the points left.
        if (korvale::DeletePoint(state_, param_, state_.SelIdx, &history_)) {
            NumberBoxFlaeche->Refresh();
            PointsChanged();
        }
        Showgrafik();
        ShowPoints();
        break;
    case korvale::PressRule::Orbit:
        state_.DownPt.xb = p.xb;
        state_.DownPt.yb = p.yb;
        break;
    case korvale::PressRule::Measure: {
        state_.DownPt.xb = p.xb;
        state_.DownPt.yb = p.yb;
        const korvale::EastNorth en = korvale::Trafone(state_, p.xb, p.yb);
        state_.DownPt.E = en.E;
        state_.DownPt.N = en.N;
        Showgrafik();
        ShowPoints();
        break;
    }
    case korvale::PressRule::Zone:
        ZonePress(p.xb, p.yb);
        break;
    case korvale::PressRule::Move:
        state_.SelIdx = SelPoint(p.xb, p.yb);
        Showgrafik();
        ShowPoints();
        break;
    case korvale::PressRule::Add: {
        korvale::TPt q;
        q.xb = p.xb;
        q.yb = p.yb;
        q.Typ = korvale::NewPointKind(t);
        korvale::AddPoint(state_, param_, q, &history_);
        NumberBoxFlaeche->Refresh();
        PointsChanged();
        Showgrafik();
        ShowPoints();
        // The running line is drawn after the redraw's reset, which would wipe it at once.
        if (t.Border)
            ShowBorder();
        if (t.Freeline)
            ShowFreeline();
        break;
    }
    }
}

void TMainForm::ImageViewer2MouseUp(QObject*, MouseButton, float X, float Y) {
    const korvale::MapPos p = MapPosOf(*this, X, Y);
    const korvale::ToolState t = Tools();
    if (t.Messen) {
        state_.UpPt.xb = p.xb;
        state_.UpPt.yb = p.yb;
        const korvale::EastNorth en = korvale::Trafone(state_, p.xb, p.yb);
        state_.UpPt.E = en.E;
        state_.UpPt.N = en.N;
        SetStatus(QString::fromStdString(korvale::MeasureText(state_.DownPt, state_.UpPt)), true);
    }
    if (t.Poly)
        OrbitRelease(p.xb, p.yb);
    // A SelIdx that names no point (empty list at the press) moves nothing.
    const bool moved =
        t.Move && korvale::MovePoint(state_, param_, state_.SelIdx, p.xb, p.yb, &history_);
    // The overlay layer keeps what it holds: without a fresh redraw the moved point would
    // show at its old and its new place.
    if (moved) {
        NumberBoxFlaeche->Refresh();
        PointsChanged();
        Showgrafik();
    }
    ShowPoints();
}

void TMainForm::ReadClipboardPoint(float xb, float yb) {
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb)
        return;
    const QMimeData* mime = cb->mimeData();
    if (!mime || !mime->hasText())
        return;
    const std::string text = cb->text().toStdString();
    // A text that is no position throws; the clipboard keeps it so the user can mend the copy.
    // A control point appends at the end: no list index moves, only the history learns of it.
    korvale::PointSnapshot before = korvale::TakeSnapshot(
        state_, korvale::Format("Passpunkt %d setzen", {state_.Points.size()}));
    const bool added = korvale::ReadClipboardPoint(state_, text, xb, yb);
    if (added)
        history_.Push(std::move(before));
    cb->setText(QString());
    // A position far outside the project's UTM zone is planned with a growing scale error.
    if (added)
        if (const auto warning = korvale::ZoneWarning(state_, state_.Points.back().L))
            SetStatus(QString::fromStdString(*warning));
}

// ---- Undo and redo of point edits ----------------------------------------------------------

void TMainForm::EditUndo() {
    // The map copy goes with the step in case it undoes a project load.
    ApplyUndoStep(history_.Undo(state_, param_, std::any(ImageViewer1->image())));
}

void TMainForm::EditRedo() {
    ApplyUndoStep(history_.Redo(state_, param_, std::any(ImageViewer1->image())));
}

void TMainForm::ApplyUndoStep(const korvale::UndoStep& step) {
    const QString text = QString::fromStdString(step.text);
    SetStatus(text, true);
    if (!step.done)
        return;
    if (step.restoresExtra) {
        if (const auto* image = std::any_cast<QImage>(&step.extra))
            SetMapCopy(*image);
        // The step brought back the elevation model the project named before.
        DemFromProject();
    }
    NumberBoxFlaeche->Refresh();
    PointsChanged();
    Showgrafik();
    ShowPoints();
    // The redraw may have written a planning note; what was undone is the news of this key.
    SetStatus(text, true);
}
