// Draws standard.jpg, the advert strip shown before the operator has chosen adverts of their
// own. Run by hand after a change to the design, and commit the picture: the build only
// copies it, so it needs neither this program nor the font. The build makes build/tools/make_standard:
//
//   QT_QPA_PLATFORM=offscreen build/tools/make_standard resources/adverts/standard.jpg
//
// The font is DejaVu Sans (Debian fonts-dejavu-core); the picture holds only its rendered
// shapes.

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_standard OUTPUT.jpg\n");
        return 2;
    }

    // The size of the audience window's advert strip, so it shows 1:1.
    QImage image(977, 100, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient ground(0, 0, 0, 100);
    ground.setColorAt(0, QColor(0x14, 0x1c, 0x2e));
    ground.setColorAt(1, QColor(0x06, 0x0a, 0x14));
    p.fillRect(image.rect(), ground);

    // The two corner colours of the mat, as thin bars at both ends.
    p.fillRect(QRect(0, 0, 10, 100), QColor(0xc8, 0x10, 0x2e));
    p.fillRect(QRect(967, 0, 10, 100), QColor(0x00, 0x5b, 0xbb));

    QFont name(QStringLiteral("DejaVu Sans"));
    name.setBold(true);
    name.setPixelSize(54);
    name.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    p.setFont(name);
    p.setPen(Qt::white);
    const QRect left(40, 0, 430, 100);
    p.drawText(left, Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("VANTOR²"));

    p.setPen(QPen(QColor(255, 255, 255, 110), 2));
    p.drawLine(500, 24, 500, 76);

    QFont subject(QStringLiteral("DejaVu Sans"));
    subject.setPixelSize(34);
    p.setFont(subject);
    p.setPen(QColor(0xe8, 0xec, 0xf4));
    p.drawText(QRect(530, 0, 420, 100), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Mannschaftsringen"));
    p.end();

    QImageWriter writer(QString::fromLocal8Bit(argv[1]), "JPG");
    writer.setQuality(92);
    if (!writer.write(image)) {
        std::fprintf(stderr, "make_standard: %s\n", qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
