// The two views of the map copy page: ImageViewer shows the map copy unscaled;
// OverlayViewer lies on top of it, receives the mouse and paints the overlay display list.
#pragma once

#include <QFont>
#include <QHash>
#include <QImage>
#include <QStaticText>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>
#include <functional>
#include <vector>

#include "model/overlay.h"

namespace korvale {

// The map copy, drawn at the view's top-left corner without scaling.
class ImageViewer : public QWidget {
    Q_OBJECT
  public:
    explicit ImageViewer(QWidget* parent = nullptr);
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

  signals:
    void released(Qt::MouseButton button, QPointF pos);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

  private:
    QImage image_;
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
    QHash<QString, QStaticText> labels;
    QFont labelFont;
};

// Transparent layer over the map copy. Overlay positions are window client coordinates; the
// window tells the layer where its own origin lies in them.
class OverlayViewer : public QWidget {
    Q_OBJECT
  public:
    OverlayViewer(const Overlay& overlay, QWidget* parent = nullptr);
    // Window client position of this view's top-left corner, asked at every paint.
    std::function<QPointF()> origin;

    // Paints the overlay primitives with `painter` already placed at this view's origin.
    static void PaintOverlay(QPainter& painter, const Overlay& overlay, QPointF origin,
                             OverlayPaintCache& cache);

  signals:
    void pressed(Qt::MouseButton button, QPointF pos);
    void released(Qt::MouseButton button, QPointF pos);
    void fileDropped(QString path);
    void imageDropped(QImage image);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

  private:
    const Overlay& overlay_;
    OverlayPaintCache cache_;
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
