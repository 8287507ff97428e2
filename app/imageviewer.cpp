// SPDX-FileCopyrightText: 2026 Die Korvale-Entwickler
// SPDX-License-Identifier: GPL-3.0-or-later
#include "imageviewer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace korvale {

namespace {

constexpr int kTabHeaderHeight = 40;
constexpr int kTabMargin = 4;
// One wheel notch zooms by this factor; a drag of the middle button counts as a pan (and not
// as a click whose release the tool would act on) once it moved this far.
constexpr double kWheelStep = 1.25;
constexpr double kPanThreshold = 3;

} // namespace

ImageViewer::ImageViewer(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageViewer::setImage(const QImage& image) {
    image_ = image;
    // Map-copy pixels are the stored unit whatever screen the image came from.
    image_.setDevicePixelRatio(1);
    view_.scroll = QPointF(0, 0);
    settle();
    update();
    emit viewChanged();
}

void ImageViewer::zoomAt(QPointF anchor, double zoom) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    const QPointF at = view_.ToImage(anchor);
    view_.zoom = zoom;
    view_.scroll = at * zoom - anchor;
    settle();
    update();
    emit viewChanged();
}

void ImageViewer::scrollTo(QPointF scroll) {
    const QPointF before = view_.scroll;
    view_.scroll = scroll;
    settle();
    if (view_.scroll != before) {
        update();
        emit viewChanged();
    }
}

void ImageViewer::fitToWindow() {
    if (image_.isNull() || width() <= 0 || height() <= 0)
        return;
    const double z =
        std::min({1.0, double(width()) / image_.width(), double(height()) / image_.height()});
    view_.zoom = std::clamp(z, kMinZoom, kMaxZoom);
    view_.scroll = QPointF(0, 0);
    settle();
    update();
    emit viewChanged();
}

void ImageViewer::setScrollBars(QScrollBar* horizontal, QScrollBar* vertical) {
    hbar_ = horizontal;
    vbar_ = vertical;
    for (QScrollBar* bar : {hbar_, vbar_}) {
        connect(bar, &QScrollBar::valueChanged, this, [this](int) {
            if (!syncing_)
                scrollTo(QPointF(hbar_->value(), vbar_->value()));
        });
    }
    settle();
}

void ImageViewer::settle() {
    const double cw = image_.isNull() ? 0 : image_.width() * view_.zoom;
    const double ch = image_.isNull() ? 0 : image_.height() * view_.zoom;
    const double maxX = std::max(0.0, std::ceil(cw - width()));
    const double maxY = std::max(0.0, std::ceil(ch - height()));
    // Whole view pixels: the map copy's pixels stay on the screen's pixel grid when scrolling.
    view_.scroll = QPointF(std::clamp(std::round(view_.scroll.x()), 0.0, maxX),
                           std::clamp(std::round(view_.scroll.y()), 0.0, maxY));
    if (!hbar_ || !vbar_)
        return;
    syncing_ = true;
    const auto sync = [](QScrollBar* bar, double max, int page, double value) {
        bar->setRange(0, int(max));
        bar->setPageStep(std::max(1, page));
        bar->setSingleStep(20);
        bar->setValue(int(value));
        bar->setVisible(max > 0);
    };
    sync(hbar_, maxX, width(), view_.scroll.x());
    sync(vbar_, maxY, height(), view_.scroll.y());
    syncing_ = false;
}

void ImageViewer::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (image_.isNull())
        return;
    // Only the part in view is scaled: zoomed far in, the whole image would cost too much.
    const QRectF target =
        QRectF(e->rect()) & QRectF(view_.ToView(QPointF(0, 0)), QSizeF(image_.size()) * view_.zoom);
    if (target.isEmpty())
        return;
    const QRectF source(view_.ToImage(target.topLeft()), target.size() / view_.zoom);
    // Zoomed in, each map-copy pixel stays a sharp square, which is what a precise control
    // point needs; zoomed out, smoothing keeps the map legible.
    p.setRenderHint(QPainter::SmoothPixmapTransform, view_.zoom < 1);
    p.drawImage(target, image_, source);
}

void ImageViewer::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    const QPointF before = view_.scroll;
    settle();
    if (before != view_.scroll)
        emit viewChanged();
}

void ImageViewer::mouseReleaseEvent(QMouseEvent* e) {
    emit released(e->button(), e->position());
}

OverlayViewer::OverlayViewer(const Overlay& overlay, QWidget* parent)
    : QWidget(parent), overlay_(overlay) {
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
}

QPointF OverlayViewer::ViewToClient(QPointF viewPos) const {
    const QPointF o = origin ? origin() : QPointF(0, 0);
    const QPointF image = mapView ? mapView->transform().ToImage(viewPos) : viewPos;
    return image + o;
}

void OverlayViewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPointF at = origin ? origin() : QPointF(0, 0);
    const MapViewTransform view = mapView ? mapView->transform() : MapViewTransform{};
    if (underlay)
        underlay(painter, at, view);
    PaintOverlay(painter, overlay_, at, cache_, view);
    if (legend)
        legend(painter);
}

void OverlayViewer::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::MiddleButton) {
        panning_ = true;
        panned_ = false;
        panLast_ = e->position();
    }
    emit pressed(e->button(), e->position());
}

void OverlayViewer::mouseMoveEvent(QMouseEvent* e) {
    if (!panning_ || !mapView)
        return;
    const QPointF d = e->position() - panLast_;
    if (!panned_ && std::hypot(d.x(), d.y()) < kPanThreshold)
        return;
    panned_ = true;
    mapView->scrollBy(-d);
    panLast_ = e->position();
}

void OverlayViewer::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::MiddleButton && panning_) {
        panning_ = false;
        // A drag that moved the map is no click: its release must not end a measurement or
        // move a point to where the drag happened to stop.
        if (panned_)
            return;
    }
    emit released(e->button(), e->position());
}

void OverlayViewer::wheelEvent(QWheelEvent* e) {
    if (!mapView) {
        e->ignore();
        return;
    }
    // The plain wheel zooms about the pointer, as on the web map the copy came from.
    const double notches = e->angleDelta().y() / 120.0;
    if (notches == 0) {
        // A sideways wheel or touchpad swipe scrolls.
        mapView->scrollBy(QPointF(-e->angleDelta().x(), 0) / 2.0);
        e->accept();
        return;
    }
    mapView->zoomAt(e->position(), mapView->transform().zoom * std::pow(kWheelStep, notches));
    e->accept();
}

void OverlayViewer::dragEnterEvent(QDragEnterEvent* e) {
    const QMimeData* m = e->mimeData();
    if (m->hasImage() || m->hasUrls())
        e->acceptProposedAction();
}

void OverlayViewer::dropEvent(QDropEvent* e) {
    const QMimeData* m = e->mimeData();
    if (m->hasUrls() && !m->urls().isEmpty()) {
        emit fileDropped(m->urls().first().toLocalFile());
    } else if (m->hasImage()) {
        emit imageDropped(qvariant_cast<QImage>(m->imageData()));
    }
    e->acceptProposedAction();
}

// Compact tabs (icon and caption with a narrow margin), so that all six fit the window's design
// width without scroll buttons.
QSize TabBar40::tabSizeHint(int index) const {
    int width = fontMetrics().horizontalAdvance(tabText(index)) + 2 * kTabMargin;
    if (!tabIcon(index).isNull())
        width += iconSize().width() + kTabMargin;
    return QSize(width, kTabHeaderHeight);
}

QSize TabBar40::minimumTabSizeHint(int index) const {
    return tabSizeHint(index);
}

void TabBar40::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    for (int i = 0; i < count(); ++i) {
        if (!isTabVisible(i))
            continue;
        QStyleOptionTab opt;
        initStyleOption(&opt, i);
        p.drawControl(QStyle::CE_TabBarTabShape, opt);
        const QRect r = tabRect(i);
        int x = r.left() + kTabMargin;
        const QIcon icon = tabIcon(i);
        if (!icon.isNull()) {
            const QSize is = iconSize();
            icon.paint(&p, QRect(QPoint(x, r.center().y() - is.height() / 2), is));
            x += is.width() + kTabMargin;
        }
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(QRect(x, r.top(), r.right() - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   tabText(i));
    }
}

TabWidget40::TabWidget40(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new TabBar40(this));
}

} // namespace korvale
