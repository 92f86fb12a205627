#include "WinTypePicker.h"

#include "bout/Bout.h"
#include "widgets/ClickLabel.h"
#include "widgets/Guard.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace {

const QColor kBackground(90, 245, 16);
const QColor kFrame(128, 128, 128);
const QColor kRed(200, 0, 0);
const QColor kBlue(0, 0, 200);
constexpr int kFrameWidth = 5;

// Two boxes of four pictures side by side, the note under them, the box for both wrestlers
// below in the middle.
const QRect kRedBox(15, 12, 290, 84);
const QRect kBlueBox(320, 12, 290, 84);
const QRect kNote(15, 101, 595, 34);
const QRect kBothBox(180, 140, 265, 66);
constexpr int kCellWidth = 72;

struct Picture
{
    const char* name;
    const char16_t* caption;
    const char* file;
    const char16_t* cmd;
};

constexpr Picture kRedPictures[] = {
    {"Image35", u"A", "win_as_red.svg", u"ras"},
    {"Image5", u"D", "win_dq_red.svg", u"rdq"},
    {"Image2", u"Ü", "win_ueg_red.svg", u"rüg"},
    {"Image1", u"U", "win_ug_red.svg", u"rug"},
};
constexpr Picture kBluePictures[] = {
    {"Image27", u"Strg + A", "win_as_blue.svg", u"bas"},
    {"Image8", u"Strg + D", "win_dq_blue.svg", u"bdq"},
    {"Image3", u"Strg + Ü", "win_ueg_blue.svg", u"büg"},
    {"Image4", u"Strg + U", "win_ug_blue.svg", u"bug"},
};

void setBoldFont(QWidget* w, int pointSize)
{
    QFont f = w->font();
    f.setPointSize(pointSize);
    f.setBold(true);
    w->setFont(f);
}

} // namespace

namespace {

class PictureOnShow : public QObject
{
public:
    PictureOnShow(QLabel* label, QString file) : QObject(label), m_label(label), m_file(std::move(file))
    {
        label->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_label && event->type() == QEvent::Show) {
            m_label->setPixmap(scoringPicture(m_file, m_label->size(), m_label->devicePixelRatioF()));
            m_label->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QLabel* m_label;
    QString m_file;
};

} // namespace

void setScoringPictureWhenShown(QLabel* label, const QString& file)
{
    new PictureOnShow(label, file);
}

QPixmap scoringPicture(const QString& file, const QSize& size, qreal devicePixelRatio)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/pictures/") + file);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

WinTypePicker::WinTypePicker(Bout& bout, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_bout(bout)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(QStringLiteral("mehr..."));
    setFixedSize(clientSize());
    setModal(true);

    const auto addPictures = [this](const auto& pictures, const QRect& box, const QColor& colour) {
        int x = box.x() + (box.width() - 4 * kCellWidth) / 2;
        for (const Picture& p : pictures) {
            caption(QString::fromUtf16(p.caption), {x, box.y() + 5, kCellWidth, 18}, colour);
            auto* image = new ClickLabel({}, this);
            image->setObjectName(QLatin1String(p.name));
            image->setGeometry(x + (kCellWidth - 50) / 2, box.y() + 26, 50, 50);
            setScoringPictureWhenShown(image, QLatin1String(p.file));
            addCommand(image, QString::fromUtf16(p.cmd));
            x += kCellWidth;
        }
    };
    addPictures(kRedPictures, kRedBox, kRed);
    addPictures(kBluePictures, kBlueBox, kBlue);

    auto* note =
        new QLabel(QStringLiteral("Die Disqualifikation bei 3 Verwarnungen, bzw. bei der 4. Passivität (GR) "
                                  "wird automatisch erkannt."),
                   this);
    note->setGeometry(kNote);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    QFont noteFont = note->font();
    noteFont.setPointSize(9);
    note->setFont(noteFont);

    caption(QStringLiteral("Beide Ringer (Wertung 0:0)"),
            {kBothBox.x(), kBothBox.y() + 5, kBothBox.width(), 18}, Qt::black);
    const struct
    {
        const char* name;
        const char16_t* text;
        const char16_t* cmd;
        int x;
    } both[] = {{"Label7", u"DQ", u"xdq", kBothBox.x() + 55},
                {"Label9", u"ÜG", u"xüg", kBothBox.right() - 55 - 64}};
    for (const auto& b : both) {
        auto* l = new ClickLabel(QString::fromUtf16(b.text), this);
        l->setObjectName(QLatin1String(b.name));
        l->setGeometry(b.x, kBothBox.y() + 30, 64, 28);
        l->setAlignment(Qt::AlignCenter);
        setBoldFont(l, 11);
        l->setStyleSheet(
            QStringLiteral("background-color: rgb(160, 160, 160); border-radius: 6px; color: black;"));
        addCommand(l, QString::fromUtf16(b.cmd));
    }

    auto* close = new ClickLabel(QStringLiteral("Schließen"), this);
    close->setObjectName(QStringLiteral("Label5"));
    close->setGeometry(500, 180, 110, 26);
    close->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setBoldFont(close, 11);
    connect(close, &ClickLabel::clicked, this, &QDialog::reject);
}

QLabel* WinTypePicker::caption(const QString& text, const QRect& geometry, const QColor& colour)
{
    auto* l = new QLabel(text, this);
    l->setGeometry(geometry);
    l->setAlignment(Qt::AlignCenter);
    setBoldFont(l, 9);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    return l;
}

void WinTypePicker::addCommand(ClickLabel* control, const QString& cmd)
{
    connect(control, &ClickLabel::clicked, this, [this, cmd] {
        guarded(this, [&] { m_bout.eingabe(cmd); });
        accept();
    });
}

void WinTypePicker::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), kFrame);
    p.fillRect(rect().adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth), kBackground);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(Qt::NoBrush);
    const QPair<QRect, QColor> boxes[] = {{kRedBox, kRed}, {kBlueBox, kBlue}, {kBothBox, QColor(60, 60, 60)}};
    for (const auto& [box, colour] : boxes) {
        p.setPen(QPen(colour, 2));
        p.drawRoundedRect(QRectF(box).adjusted(1, 1, -1, -1), 6, 6);
    }
}

void WinTypePicker::showEvent(QShowEvent* event)
{
    // Created once and shown many times: centred anew each time, on the screen of the window
    // that opens it (the operator's), or the primary screen when it has no parent.
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->geometry().center() - rect().center());
    QDialog::showEvent(event);
}

void WinTypePicker::keyPressEvent(QKeyEvent* event)
{
    // Operated with the mouse only: Escape and Enter must not close it as they would a dialog.
    event->ignore();
}
