// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
// The two views of the map copy page: ImageViewer shows the map copy at the user's zoom and
// scroll; OverlayViewer lies on top of it, receives the mouse and paints the overlay display
// list. Stored positions never depend on the view: they are map-copy pixels as at zoom 1.
#pragma once

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/overlay.h"

class QScrollBar;

namespace korvale {

// How the map copy lies in the view: a map-copy pixel p shows at p * zoom - scroll.
struct MapViewTransform {
    double zoom = 1;
    QPointF scroll; // view pixels, never negative
    QPointF ToView(QPointF image) const { return image * zoom - scroll; }
    QPointF ToImage(QPointF view) const { return (view + scroll) / zoom; }
};

// The map copy at the user's zoom and scroll. It owns the view state; the overlay and the
// mouse read it through transform().
class ImageViewer : public QWidget {
    Q_OBJECT
  public:
    static constexpr double kMinZoom = 0.1;
    static constexpr double kMaxZoom = 16;

    explicit ImageViewer(QWidget* parent = nullptr);
    // A new map copy keeps the zoom but starts at the top-left corner.
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

    const MapViewTransform& transform() const { return view_; }
    // Zoom to `zoom` keeping the map-copy pixel under the view position `anchor` where it is.
    void zoomAt(QPointF anchor, double zoom);
    void scrollTo(QPointF scroll);
    void scrollBy(QPointF delta) { scrollTo(view_.scroll + delta); }
    // The whole map copy in the view (never above zoom 1), top-left aligned.
    void fitToWindow();
    // The scroll bars that show and move this view (placed by the page).
    void setScrollBars(QScrollBar* horizontal, QScrollBar* vertical);

  signals:
    void released(Qt::MouseButton button, QPointF pos);
    // Zoom or scroll changed: the overlay must be painted anew.
    void viewChanged();

  protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    // Keeps the scroll inside the zoomed map copy and the scroll bars in step.
    void settle();
    QImage image_;
    MapViewTransform view_;
    QScrollBar* hbar_ = nullptr;
    QScrollBar* vbar_ = nullptr;
    bool syncing_ = false;
};

// What the overlay paint keeps between paints: marker images per colours and size, laid-out
// label texts. Belongs to one painting widget (and so dies with it, before the application).
struct OverlayPaintCache {
    struct Sprite {
        bool outline, disc;
        Argb stroke, fill;
        int d;
        QImage img;
    };
    std::vector<Sprite> sprites;
    // Label images with their halo, by text, colour, style and device pixel ratio.
    std::unordered_map<std::string, QImage> labels;
    QFont labelFont;
};

// Transparent layer over the map copy. Overlay positions are window client coordinates; the
// window tells the layer where its own origin lies in them.
class OverlayViewer : public QWidget {
    Q_OBJECT
  public:
    OverlayViewer(const Overlay& overlay, QWidget* parent = nullptr);
    // Window client position of the map copy's top-left corner at zoom 1, asked at every
    // paint and every mouse event.
    std::function<QPointF()> origin;
    // The map copy view whose zoom and scroll the overlay follows (may be null: zoom 1).
    ImageViewer* mapView = nullptr;
    // Painted under the overlay at the same origin and view (the coverage map), and over it
    // in the widget's own pixels (its legend); either may be empty.
    std::function<void(QPainter&, QPointF origin, const MapViewTransform&)> underlay;
    std::function<void(QPainter&)> legend;

    // Paints the overlay primitives at the given zoom and scroll. Positions are scaled, marker
    // and label sizes are not; lines and labels get a dark halo so that they read on light and
    // dark imagery; labels of nearby points are moved apart.
    static void PaintOverlay(QPainter& painter, const Overlay& overlay, QPointF origin,
                             OverlayPaintCache& cache, const MapViewTransform& view = {});

    // Window client position (the stored map position) of a position in this view.
    QPointF ViewToClient(QPointF viewPos) const;

  signals:
    void pressed(Qt::MouseButton button, QPointF pos);
    void released(Qt::MouseButton button, QPointF pos);
    void fileDropped(QString path);
    void imageDropped(QImage image);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    const Overlay& overlay_;
    OverlayPaintCache cache_;
    // Middle-button drag: where it started and whether it has moved the view.
    QPointF panLast_;
    bool panning_ = false;
    bool panned_ = false;
};

// Tabs of a fixed header height, so that map positions keep the design's offsets.
class TabBar40 : public QTabBar {
    Q_OBJECT
  public:
    using QTabBar::QTabBar;

  protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* e) override;
};

class TabWidget40 : public QTabWidget {
    Q_OBJECT
  public:
    explicit TabWidget40(QWidget* parent = nullptr);
};

} // namespace korvale
