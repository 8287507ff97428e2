// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// Response of the window on a 1000 x 800 map copy: a left press in plain points mode with
// 2,000 points present (redraw and paint of the map area), and the paint of a whole flight
// plan of a 1 km square (about 11,000 picture marks).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cmath>

#include "georef/transform.h"
#include "imageviewer.h"
#include "mainform.h"
#include "planning/border.h"
#include "planning/params.h"
#include "planning/path.h"

namespace {

constexpr int kMapW = 1000;
constexpr int kMapH = 800;
constexpr int kTop = 80; // toolbar and tab header above the map copy

QImage MapCopy() {
    QImage img(kMapW, kMapH, QImage::Format_RGB32);
    QPainter p(&img);
    for (int y = 0; y < kMapH; y += 50)
        for (int x = 0; x < kMapW; x += 50)
            p.fillRect(x, y, 50, 50,
                       ((x + y) / 50) % 2 ? QColor(170, 200, 120) : QColor(210, 200, 140));
    return img;
}

// North up, 1.25 m per pixel, centred on the map copy.
void NorthUp(korvale::State& s) {
    s.TrafO = 1.25;
    s.TrafA = 0;
    s.TrafM = 1.25;
    s.TrafXbs = kMapW / 2.0;
    s.TrafYbs = kTop + kMapH / 2.0;
    s.TrafYs = 32512000.0;
    s.TrafXs = 5301000.0;
}

// 2000 control points on the map copy, then the measured left press and release with the
// redraw of the page into an image of `size`.
void MeasurePressesAmong2000Points(benchmark::State& st, TMainForm& w, QSize size) {
    auto& s = w.state();
    NorthUp(s);
    for (int i = 0; i < 2000; ++i) {
        korvale::TPt p;
        p.xb = static_cast<float>(20 + (i * 37) % 960);
        p.yb = static_cast<float>(kTop + 20 + (i * 53) % 760);
        s.Points.push_back(p);
    }
    korvale::Trafall(s);
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : st) {
        w.ImageViewer2MouseDown(w.ImageViewer2, TMainForm::MouseButton::Left, 500, 400);
        w.ImageViewer2MouseUp(w.ImageViewer2, TMainForm::MouseButton::Left, 500, 400);
        w.TabItemKarte->render(&out);
        benchmark::DoNotOptimize(out.constBits());
        st.PauseTiming();
        s.Points.pop_back();
        st.ResumeTiming();
    }
    st.counters["primitives"] = static_cast<double>(w.overlay().Size());
}

void BM_LeftPressWith2000Points(benchmark::State& st) {
    TMainForm w;
    w.resize(kMapW, kMapH + 40 + 40 + 30);
    w.show();
    w.Tabcontrol1->setCurrentWidget(w.TabItemKarte);
    QCoreApplication::processEvents();
    w.SetMapCopy(MapCopy());
    MeasurePressesAmong2000Points(st, w, QSize(kMapW, kMapH));
}
BENCHMARK(BM_LeftPressWith2000Points)->Unit(benchmark::kMillisecond)->Repetitions(5);

// A 1 km square through 200 border points, clockwise on the map.
void Add1kmSquareBorder(korvale::State& s) {
    const double side = 1000 / 1.25;
    const double x0 = kMapW / 2.0 - side / 2, y0 = kTop + kMapH / 2.0 - side / 2;
    for (int i = 0; i < 200; ++i) {
        const int edge = i / 50;
        const double t = (i % 50) / 50.0 * side;
        const double xs[] = {x0 + t, x0 + side, x0 + side - t, x0};
        const double ys[] = {y0, y0 + t, y0 + side, y0 + side - t};
        korvale::TPt p;
        p.Typ = korvale::KindBorder;
        p.xb = static_cast<float>(xs[edge]);
        p.yb = static_cast<float>(ys[edge]);
        s.Points.push_back(p);
    }
}

void BM_PaintPlanOf1kmSquare(benchmark::State& st) {
    korvale::State s;
    NorthUp(s);
    Add1kmSquareBorder(s);
    korvale::Trafall(s);
    korvale::ParamPageModel param;
    korvale::Rechnen(param);
    korvale::Overlay o;
    korvale::SetBorderPointer(s, param);
    korvale::FlightLines(s, param, o);
    double marks = 0;
    for (const korvale::Primitive& q : o.Items())
        marks += q.kind == korvale::Primitive::Kind::Disc ? 1 : 0;

    const QImage map = MapCopy();
    QImage out(kMapW, kMapH, QImage::Format_ARGB32_Premultiplied);
    korvale::OverlayPaintCache cache;
    for (auto _ : st) {
        QPainter p(&out);
        p.drawImage(0, 0, map);
        korvale::OverlayViewer::PaintOverlay(p, o, QPointF(0, kTop), cache);
        p.end();
        benchmark::DoNotOptimize(out.constBits());
    }
    st.counters["marks"] = marks;
    st.counters["primitives"] = static_cast<double>(o.Size());
}
BENCHMARK(BM_PaintPlanOf1kmSquare)->Unit(benchmark::kMillisecond)->Repetitions(5);

// "Calc Raster" as the user meets it: camera values, redraw, planning run of the 1 km square
// (about 80 strips, 11,000 pictures) and the paint of the map copy page at 1000 x 800.
void BM_CalcRasterWithPaint(benchmark::State& st) {
    TMainForm w;
    w.resize(kMapW, kMapH + 40 + 40 + 30);
    w.show();
    w.Tabcontrol1->setCurrentWidget(w.TabItemKarte);
    QCoreApplication::processEvents();
    w.SetMapCopy(MapCopy());
    NorthUp(w.state());
    Add1kmSquareBorder(w.state());
    QImage out(kMapW, kMapH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : st) {
        w.ButtonWayptsClick();
        w.TabItemKarte->render(&out);
        benchmark::DoNotOptimize(out.constBits());
    }
    st.counters["strips"] = static_cast<double>(w.state().FlightSegs.size());
    st.counters["primitives"] = static_cast<double>(w.overlay().Size());
}
BENCHMARK(BM_CalcRasterWithPaint)->Unit(benchmark::kMillisecond)->Repetitions(5);

// "Calc Raster" with one million pictures (photo base and spacing of 1 m over the 1 km
// square) and the paint of the map copy page.
void BM_CalcRasterMillionPicturesWithPaint(benchmark::State& st) {
    TMainForm w;
    w.resize(kMapW, kMapH + 40 + 40 + 30);
    w.show();
    w.Tabcontrol1->setCurrentWidget(w.TabItemKarte);
    QCoreApplication::processEvents();
    w.SetMapCopy(MapCopy());
    NorthUp(w.state());
    Add1kmSquareBorder(w.state());
    w.ButtonWayptsClick();
    QImage out(kMapW, kMapH, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : st) {
        w.param().NumberBoxA.SetValue(1);
        w.param().NumberBoxB.SetValue(1);
        w.Showgrafik(); // clears the overlay, plans and draws once
        w.TabItemKarte->render(&out);
        benchmark::DoNotOptimize(out.constBits());
    }
    st.counters["pictures"] = w.param().NumberBoxBilder.Value();
    st.counters["primitives"] = static_cast<double>(w.overlay().Size());
}
BENCHMARK(BM_CalcRasterMillionPicturesWithPaint)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

// The same left press on the map copy zoomed in by the argument (1 or 4) and scrolled to the
// middle: the press is mapped back to a map-copy pixel and the overlay painted at that zoom.
void BM_LeftPressWith2000PointsAtZoom(benchmark::State& st) {
    TMainForm w;
    w.resize(kMapW, kMapH + 40 + 40 + 30);
    w.show();
    w.Tabcontrol1->setCurrentWidget(w.TabItemKarte);
    QCoreApplication::processEvents();
    w.SetMapCopy(MapCopy());
    const double zoom = static_cast<double>(st.range(0));
    w.ImageViewer1->zoomAt(QPointF(0, 0), zoom);
    w.ImageViewer1->scrollTo(QPointF(kMapW / 2.0 * zoom - kMapW / 2.0, kMapH / 2.0 * zoom - 400));
    MeasurePressesAmong2000Points(st, w, w.TabItemKarte->size());
}
BENCHMARK(BM_LeftPressWith2000PointsAtZoom)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// The paint of the 1 km square's plan (map copy and overlay) at zoom 1 and zoom 4, scrolled to
// the middle of the map copy.
void BM_PaintPlanOf1kmSquareAtZoom(benchmark::State& st) {
    korvale::State s;
    NorthUp(s);
    Add1kmSquareBorder(s);
    korvale::Trafall(s);
    korvale::ParamPageModel param;
    korvale::Rechnen(param);
    korvale::Overlay o;
    korvale::SetBorderPointer(s, param);
    korvale::FlightLines(s, param, o);

    const double zoom = static_cast<double>(st.range(0));
    korvale::MapViewTransform view;
    view.zoom = zoom;
    view.scroll = QPointF(kMapW / 2.0 * zoom - kMapW / 2.0, kMapH / 2.0 * zoom - kMapH / 2.0);
    korvale::ImageViewer mapView;
    mapView.resize(kMapW, kMapH);
    mapView.setImage(MapCopy());
    mapView.zoomAt(QPointF(0, 0), zoom);
    mapView.scrollTo(view.scroll);
    QImage out(kMapW, kMapH, QImage::Format_ARGB32_Premultiplied);
    korvale::OverlayPaintCache cache;
    for (auto _ : st) {
        mapView.render(&out);
        QPainter p(&out);
        korvale::OverlayViewer::PaintOverlay(p, o, QPointF(0, kTop), cache, view);
        p.end();
        benchmark::DoNotOptimize(out.constBits());
    }
    st.counters["primitives"] = static_cast<double>(o.Size());
}
BENCHMARK(BM_PaintPlanOf1kmSquareAtZoom)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

// The paint alone of the million-picture plan (photo base and spacing of 1 m over the 1 km
// square: closer than a pixel at zoom 1) at zoom 1 and zoom 4, scrolled to the middle.
void BM_PaintMillionPicturesAtZoom(benchmark::State& st) {
    korvale::State s;
    NorthUp(s);
    Add1kmSquareBorder(s);
    korvale::Trafall(s);
    korvale::ParamPageModel param;
    korvale::Rechnen(param);
    param.NumberBoxA.SetValue(1);
    param.NumberBoxB.SetValue(1);
    korvale::Overlay o;
    korvale::SetBorderPointer(s, param);
    korvale::FlightLines(s, param, o);

    const double zoom = static_cast<double>(st.range(0));
    korvale::MapViewTransform view;
    view.zoom = zoom;
    view.scroll = QPointF(kMapW / 2.0 * zoom - kMapW / 2.0, kMapH / 2.0 * zoom - kMapH / 2.0);
    QImage out(kMapW, kMapH, QImage::Format_ARGB32_Premultiplied);
    const QImage map = MapCopy();
    korvale::OverlayPaintCache cache;
    for (auto _ : st) {
        QPainter p(&out);
        p.drawImage(0, 0, map);
        korvale::OverlayViewer::PaintOverlay(p, o, QPointF(0, kTop), cache, view);
        p.end();
        benchmark::DoNotOptimize(out.constBits());
    }
    st.counters["pictures"] = param.NumberBoxBilder.Value();
    st.counters["primitives"] = static_cast<double>(o.Size());
}
BENCHMARK(BM_PaintMillionPicturesAtZoom)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The window would read and write the user's own settings: a folder of this run instead.
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settings;
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
