#include "imageviewer.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHash>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStaticText>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <cmath>
#include <vector>

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

namespace {

// A marker (an outline, a disc, or an outline with a disc over it) drawn once per colours and
// size, then copied: thousands of markers paint in a few milliseconds.
const QImage& MarkerSprite(OverlayPaintCache& cache, bool outline, Argb stroke, bool disc,
                           Argb fill, int d) {
    if (!outline)
        stroke = 0;
    if (!disc)
        fill = 0;
    for (const auto& e : cache.sprites)
        if (e.outline == outline && e.disc == disc && e.stroke == stroke && e.fill == fill &&
            e.d == d)
            return e.img;
    QImage img(d + 2, d + 2, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF box(1, 1, d, d);
    if (outline) {
        p.setPen(QPen(ToColor(stroke), 1));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(box);
    }
    if (disc) {
        p.setPen(Qt::NoPen);
        p.setBrush(ToColor(fill));
        p.drawEllipse(box);
    }
    p.end();
    cache.sprites.push_back({outline, disc, stroke, fill, d, img});
    return cache.sprites.back().img;
}

// Whether a circle or disc box can be painted from a sprite: a small circle, not an ellipse.
bool SpriteBox(const Primitive& p) {
    const double w = p.x2 - p.x1;
    return w == p.y2 - p.y1 && w >= 0 && w <= 64 && w == std::round(w);
}

// Laid-out label texts, kept across paints (the labels are mostly the same point numbers).
const QStaticText& LabelText(OverlayPaintCache& cache, const std::string& text, const QFont& font) {
    if (font != cache.labelFont) {
        cache.labels.clear();
        cache.labelFont = font;
    }
    const QString key = QString::fromStdString(text);
    auto it = cache.labels.find(key);
    if (it == cache.labels.end()) {
        QStaticText st(key);
        st.setTextFormat(Qt::PlainText);
        st.prepare(QTransform(), font);
        it = cache.labels.insert(key, st);
    }
    return *it;
}

} // namespace

void OverlayViewer::PaintOverlay(QPainter& painter, const Overlay& overlay, QPointF origin,
                                 OverlayPaintCache& cache) {
    painter.save();
    painter.translate(-origin);
    const auto& items = overlay.Items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Primitive& p = items[i];
        switch (p.kind) {
        case Primitive::Kind::Line:
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setPen(QPen(ToColor(p.stroke), 1));
            painter.drawLine(QPointF(p.x1, p.y1), QPointF(p.x2, p.y2));
            break;
        case Primitive::Kind::Circle:
        case Primitive::Kind::Disc: {
            // An outline followed by a disc in the same box is one marker.
            const bool pair = p.kind == Primitive::Kind::Circle && i + 1 < items.size() &&
                              items[i + 1].kind == Primitive::Kind::Disc &&
                              items[i + 1].x1 == p.x1 && items[i + 1].y1 == p.y1 &&
                              items[i + 1].x2 == p.x2 && items[i + 1].y2 == p.y2;
            const bool outline = p.kind == Primitive::Kind::Circle;
            const bool disc = pair || p.kind == Primitive::Kind::Disc;
            const Argb fill = pair ? items[i + 1].fill : p.fill;
            if (pair)
                ++i;
            if (SpriteBox(p)) {
                const int d = static_cast<int>(p.x2 - p.x1);
                painter.drawImage(QPointF(p.x1 - 1, p.y1 - 1),
                                  MarkerSprite(cache, outline, p.stroke, disc, fill, d));
                break;
            }
            painter.setRenderHint(QPainter::Antialiasing, true);
            if (outline) {
                painter.setPen(QPen(ToColor(p.stroke), 1));
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(Box(p));
            }
            if (disc) {
                painter.setPen(Qt::NoPen);
                painter.setBrush(ToColor(fill));
                painter.drawEllipse(Box(p));
            }
            break;
        }
        case Primitive::Kind::Label: {
            // Right-aligned in its box, centred on the box's height, never wrapped or clipped.
            const QStaticText& st = LabelText(cache, p.text, painter.font());
            const QSizeF size = st.size();
            painter.setPen(ToColor(p.fill));
            painter.drawStaticText(QPointF(p.x2 - size.width(), (p.y1 + p.y2 - size.height()) / 2),
                                   st);
            break;
        }
        }
    }
    painter.restore();
}

void OverlayViewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintOverlay(painter, overlay_, origin ? origin() : QPointF(0, 0), cache_);
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
