#include "imageviewer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace korvale {

namespace {

constexpr int kTabHeaderHeight = 40;
constexpr int kTabMargin = 4;

QColor ToColor(Argb c) {
    return QColor::fromRgba(c);
}

QRectF Box(const Primitive& p) {
    return QRectF(QPointF(p.x1, p.y1), QPointF(p.x2, p.y2));
}

} // namespace

ImageViewer::ImageViewer(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageViewer::setImage(const QImage& image) {
    image_ = image;
    update();
}

void ImageViewer::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    if (!image_.isNull())
        p.drawImage(QPointF(0, 0), image_);
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
    setFocusPolicy(Qt::ClickFocus);
}

void OverlayViewer::PaintOverlay(QPainter& painter, const Overlay& overlay, QPointF origin) {
    painter.save();
    painter.translate(-origin);
    for (const Primitive& p : overlay.Items()) {
        switch (p.kind) {
        case Primitive::Kind::Line:
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(ToColor(p.stroke), 1));
            painter.drawLine(QPointF(p.x1, p.y1), QPointF(p.x2, p.y2));
            break;
        case Primitive::Kind::Circle:
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(QPen(ToColor(p.stroke), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(Box(p));
            break;
        case Primitive::Kind::Disc:
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(Qt::NoPen);
            painter.setBrush(ToColor(p.fill));
            painter.drawEllipse(Box(p));
            break;
        case Primitive::Kind::Label:
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setPen(ToColor(p.fill));
            painter.drawText(
                Box(p), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                QString::fromStdString(p.text));
            break;
        }
    }
    painter.restore();
}

void OverlayViewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintOverlay(painter, overlay_, origin ? origin() : QPointF(0, 0));
}

void OverlayViewer::mousePressEvent(QMouseEvent* e) {
    emit pressed(e->button(), e->position());
}

void OverlayViewer::mouseReleaseEvent(QMouseEvent* e) {
    emit released(e->button(), e->position());
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
