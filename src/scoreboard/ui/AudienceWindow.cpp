#include "AudienceWindow.h"

#include "platform/JpegDecoder.h"
#include "platform/UserError.h"

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

#include <algorithm>

namespace {

const QString kStandardAdvert = QStringLiteral(":/adverts/standard.jpg");
const QString kEllipsis = QStringLiteral("...");

QImage renderSvg(const QString& path, const QSize& size, const QColor& ground)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(ground);
    QSvgRenderer svg(path);
    QPainter p(&image);
    svg.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

// The logo is a bitmap on a white ground; white is its transparent colour.
QImage logoPicture()
{
    QImage image = renderSvg(QStringLiteral(":/audience/logo.svg"), {500, 384}, Qt::white);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0x00ffffff) == 0x00ffffff)
                line[x] = 0;
    }
    return image;
}

QImage builtInAdvert()
{
    QFile file(kStandardAdvert);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    try {
        return decodeJpeg(file.readAll());
    } catch (const UserError&) {
        // A damaged built-in picture leaves the strip black; it must not keep the window from
        // opening.
        return {};
    }
}

// `size` scaled to fit into `box` with its proportions kept.
QSize fitted(const QSize& size, const QSize& box)
{
    return size.scaled(box, Qt::KeepAspectRatio);
}

// Greedy word wrap as the design's labels do it: lines break at blanks only, and a word wider
// than the box stands alone on its line.
QStringList wrapWords(const QFontMetrics& fm, const QString& text, int width)
{
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && fm.horizontalAdvance(candidate) > width) {
            lines << line;
            line = word;
        } else {
            line = candidate;
        }
    }
    lines << line;
    return lines;
}

// The words of `text` that fit into `width` together with the ellipsis, and the ellipsis.
QString elideAtWord(const QFontMetrics& fm, const QString& text, int width)
{
    QString kept;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        const QString candidate = kept.isEmpty() ? word : kept + QLatin1Char(' ') + word;
        if (fm.horizontalAdvance(candidate + kEllipsis) > width)
            break;
        kept = candidate;
    }
    return kept + kEllipsis;
}

} // namespace

AudienceWindow::AudienceWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Anzeige"));
    setFont(AudienceModel::font({QStringLiteral("Tahoma"), 8, false}));
    // Everything is painted here, on black, so Qt need not clear the window first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    move(0, 0);
    resize(AudienceModel::kDesignWidth, AudienceModel::kDesignHeight);
}

void AudienceWindow::ensurePictures() const
{
    if (m_picturesReady)
        return;
    m_picturesReady = true;
    m_logo = logoPicture();
    m_background = renderSvg(QStringLiteral(":/audience/hintergrund.svg"), {1033, 732}, Qt::black);
    m_builtInAdvert = builtInAdvert();
}

AudienceWindow::AudienceWindow(AudienceModel& model, QWidget* parent) : AudienceWindow(parent)
{
    setModel(model);
}

void AudienceWindow::setModel(AudienceModel& model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = &model;
    connect(m_model, &AudienceModel::changed, this, qOverload<>(&QWidget::update));
    connect(m_model, &AudienceModel::clientSizeChanged, this, &AudienceWindow::followClientSize);
    followClientSize(m_model->clientSize());
    update();
}

bool AudienceWindow::fillsScreen() const
{
    // The border is off only while full screen (toggleFullScreen): that holds even where a
    // window manager reports the state late or not at all.
    return windowFlags().testFlag(Qt::FramelessWindowHint) ||
           (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
}

void AudienceWindow::followClientSize(const QSize& size)
{
    // A window that fills the screen keeps the screen's size and shows the scaled design in
    // it; the model learns that size, so the zoom centres on what the hall sees and the ticker
    // comes back at the window's right edge.
    if (fillsScreen())
        m_model->setClientSize(this->size());
    else
        resize(size);
}

void AudienceWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Back from maximised or full screen, the window takes the design size of the scale set
    // meanwhile, not the size it had before.
    if (event->type() != QEvent::WindowStateChange || !m_model || fillsScreen() ||
        (windowState() & Qt::WindowMinimized))
        return;
    // A size set by hand stays when the window is only minimised and restored.
    const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
    if (old & (Qt::WindowMaximized | Qt::WindowFullScreen))
        resize(m_model->designSize());
}

void AudienceWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_model)
        m_model->setClientSize(event->size());
}

void AudienceWindow::setAdvert(const QImage& picture)
{
    m_advert = picture;
    update();
}

void AudienceWindow::toggleFullScreen()
{
    const bool shown = isVisible();
    const bool bordered = !windowFlags().testFlag(Qt::FramelessWindowHint);
    // Changing the flags hides the window; it comes back in its new state only if it was shown.
    setWindowFlag(Qt::FramelessWindowHint, bordered);
    // The geometry as well as the state: without a window manager (a bare X server driving the
    // hall's display) the state alone changes nothing.
    if (const QScreen* s = screen())
        setGeometry(bordered ? s->geometry() : s->availableGeometry());
    setWindowState(bordered ? Qt::WindowFullScreen : Qt::WindowMaximized);
    if (shown)
        show();
}

void AudienceWindow::keyPressEvent(QKeyEvent* event)
{
    // The operator window's application-wide filter has already passed the key to the
    // keyboard control; here only the window's own keys act.
    if (event->key() == Qt::Key_Escape)
        hide();
    else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        toggleFullScreen();
    QWidget::keyPressEvent(event);
}

const AudienceModel::Element* AudienceWindow::elementAt(const QPoint& pos) const
{
    if (!m_model || (m_model->overlayVisible() && m_model->overlay().contains(pos)))
        return nullptr;
    const auto& elements = m_model->elements();
    for (auto it = elements.rbegin(); it != elements.rend(); ++it)
        if (it->visible && m_model->panelVisible(it->panel) && it->geometry.contains(pos))
            return &*it;
    return nullptr;
}

void AudienceWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (const AudienceModel::Element* e = elementAt(event->position().toPoint())) {
        if (e->id == AudienceModel::Id::tpr)
            m_model->tprDoubleClick();
        else if (e->id == AudienceModel::Id::tpb)
            m_model->tpbDoubleClick();
    }
    QWidget::mouseDoubleClickEvent(event);
}

void AudienceWindow::mouseMoveEvent(QMouseEvent* event)
{
    const AudienceModel::Element* e = elementAt(event->position().toPoint());
    if (e && e->handCursor)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void AudienceWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter);
}

void AudienceWindow::paint(QPainter& painter) const
{
    // Both views fill the client area on black; only the live one is drawn.
    painter.fillRect(rect(), Qt::black);
    if (!m_model)
        return;
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int panel : {1, 2}) {
        if (!m_model->panelVisible(panel))
            continue;
        for (const AudienceModel::Element& e : m_model->elements())
            if (e.panel == panel && e.visible)
                drawElement(painter, e);
    }
    if (m_model->overlayVisible())
        drawOverlay(painter);
}

void AudienceWindow::drawElement(QPainter& painter, const AudienceModel::Element& e) const
{
    const QRect& g = e.geometry;
    switch (e.kind) {
    case AudienceModel::Kind::Box:
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(e.colour);
        painter.drawRect(g.adjusted(0, 0, -1, -1));
        break;
    case AudienceModel::Kind::Line:
        painter.fillRect(g, e.colour);
        break;
    case AudienceModel::Kind::Picture: {
        painter.save();
        painter.setClipRect(g);
        if (e.id == AudienceModel::Id::Image3) {
            // Stretched with its proportions kept, from the top-left corner.
            painter.drawImage(QRect(g.topLeft(), fitted(background().size(), g.size())), background());
        } else {
            // An advert is centred and only ever made smaller.
            const QImage& picture = advert();
            QSize size = picture.size();
            if (size.width() > g.width() || size.height() > g.height())
                size = fitted(size, g.size());
            QRect target(QPoint(0, 0), size);
            target.moveCenter(g.center());
            painter.drawImage(target, picture);
        }
        painter.restore();
        break;
    }
    case AudienceModel::Kind::Text:
        if (e.text.isEmpty())
            break;
        if (e.autoWidth) {
            painter.setFont(AudienceModel::font(e.font));
            painter.setPen(e.colour);
            painter.drawText(QPoint(g.left(), g.top() + painter.fontMetrics().ascent()), e.text);
        } else {
            drawTextBox(painter, e);
        }
        break;
    }
}

AudienceWindow::TextBoxLayout AudienceWindow::layoutTextBox(const AudienceModel::Element& e,
                                                            const QRect& area)
{
    // Lines break at blanks only, so a word is the narrowest a wrapped text can get.
    const QStringList units = e.wrap ? e.text.split(QLatin1Char(' ')) : QStringList{e.text};
    QFont font = AudienceModel::font(e.font);
    const int designPixels = font.pixelSize();
    QStringList lines;
    for (int pixels = designPixels;; --pixels) {
        font.setPixelSize(pixels);
        const QFontMetrics fm(font);
        lines = e.wrap ? wrapWords(fm, e.text, area.width()) : QStringList{e.text};
        if (e.elide) {
            const qsizetype room = std::max(1, area.height() / fm.height());
            if (lines.size() > room) {
                const QString rest = lines.mid(room - 1).join(QLatin1Char(' '));
                lines = lines.mid(0, room - 1);
                lines << elideAtWord(fm, rest, area.width());
            }
        }
        const bool tallEnough = lines.size() * fm.height() <= area.height();
        const bool wideEnough = std::all_of(units.cbegin(), units.cend(), [&](const QString& unit) {
            return fm.horizontalAdvance(unit) <= area.width();
        });
        if ((tallEnough && wideEnough) || pixels <= std::min(designPixels, kSmallestTextPixels))
            break;
    }

    const QFontMetrics fm(font);
    const int lineHeight = fm.height();
    const int total = int(lines.size()) * lineHeight;
    int y = area.top();
    if (e.alignment & Qt::AlignVCenter)
        y += (area.height() - total) / 2;
    TextBoxLayout layout{font, lines, {}};
    for (const QString& line : lines) {
        const int width = fm.horizontalAdvance(line);
        int x = area.left();
        if (e.alignment & Qt::AlignHCenter)
            x += (area.width() - width) / 2;
        else if (e.alignment & Qt::AlignRight)
            x += area.width() - width;
        layout.baselines << QPoint(x, y + fm.ascent());
        y += lineHeight;
    }
    return layout;
}

QRect AudienceWindow::textArea(const AudienceModel::Element& e) const
{
    QRect area = e.geometry;
    if (!m_model)
        return area;
    const bool red = e.id == AudienceModel::Id::Label1;
    if (red || e.id == AudienceModel::Id::Label2) {
        // The red name's box reaches into the blue one's; two names of two lines each filled
        // both boxes and ran into each other. Each keeps to its side of the middle of the shared
        // rows.
        const QRect r = m_model->element(AudienceModel::Id::Label1).geometry;
        const QRect b = m_model->element(AudienceModel::Id::Label2).geometry;
        const int shared = r.bottom() - b.top() + 1;
        if (shared > 0) {
            const int firstBlue = b.top() + shared / 2;
            if (red)
                area.setBottom(std::min(area.bottom(), firstBlue - 1));
            else
                area.setTop(std::max(area.top(), firstBlue));
        }
    } else if (e.id == AudienceModel::Id::Label4 || e.id == AudienceModel::Id::Label5) {
        // A club's box runs the full width, under the scores in the top corners, and a long
        // club name ran into them. It keeps a blank's width clear of each score beside it, as
        // much on both sides so that it stays centred.
        int inset = 0;
        for (const AudienceModel::Id id : {AudienceModel::Id::Label8, AudienceModel::Id::Label9}) {
            const AudienceModel::Element& score = m_model->element(id);
            if (!score.visible || score.text.isEmpty())
                continue;
            const TextBoxLayout layout = layoutTextBox(score, score.geometry);
            const QFontMetrics fm(layout.font);
            QRect taken;
            for (qsizetype i = 0; i < layout.lines.size(); ++i)
                taken |= QRect(layout.baselines.at(i) - QPoint(0, fm.ascent()),
                               QSize(fm.horizontalAdvance(layout.lines.at(i)), fm.height()));
            const int blank = fm.horizontalAdvance(QLatin1Char(' '));
            taken = (taken & score.geometry).adjusted(-blank, 0, blank, 0);
            if (taken.isEmpty() || taken.top() > area.bottom() || taken.bottom() < area.top())
                continue;
            if (taken.center().x() < area.center().x())
                inset = std::max(inset, taken.right() + 1 - area.left());
            else
                inset = std::max(inset, area.right() + 1 - taken.left());
        }
        // Scores wide enough to leave nothing between them are not worth hiding the club for.
        if (2 * inset < area.width())
            area.adjust(inset, 0, -inset, 0);
    }
    return area;
}

const AudienceWindow::CachedLayout& AudienceWindow::cachedLayout(const AudienceModel::Element& e) const
{
    const QRect area = textArea(e);
    CachedLayout& cached = m_textBoxes[std::size_t(e.id)];
    const AudienceModel::Element& b = cached.box;
    if (cached.layout.lines.isEmpty() || cached.area != area || b.text != e.text || b.font != e.font ||
        b.alignment != e.alignment || b.wrap != e.wrap || b.elide != e.elide) {
        cached.box = e;
        cached.area = area;
        cached.layout = layoutTextBox(e, area);
    }
    return cached;
}

void AudienceWindow::drawTextBox(QPainter& painter, const AudienceModel::Element& e) const
{
    const CachedLayout& cached = cachedLayout(e);
    const TextBoxLayout& layout = cached.layout;
    painter.save();
    // Only a text that does not fit even at the smallest size reaches past its area.
    painter.setClipRect(cached.area);
    painter.setFont(layout.font);
    painter.setPen(e.colour);
    for (qsizetype i = 0; i < layout.lines.size(); ++i)
        painter.drawText(layout.baselines.at(i), layout.lines.at(i));
    painter.restore();
}

void AudienceWindow::drawOverlay(QPainter& painter) const
{
    const QRect o = m_model->overlay();
    painter.fillRect(o, Qt::black);
    QRect logo(QPoint(0, 0), fitted(this->logo().size(), o.size()));
    logo.moveCenter(o.center());
    painter.drawImage(logo, this->logo());
}
