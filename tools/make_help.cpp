// Renders the help page (HTML) into hilfe.pdf, the document the console's "Hilfe" opens.
// Runs at build time: make_help <hilfe.html> <hilfe.pdf>

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

int main(int argc, char* argv[])
{
    // Fonts and the paint engine need a gui application; the build runs it offscreen.
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "Aufruf: make_help <hilfe.html> <hilfe.pdf>\n");
        return 2;
    }

    QFile in(args.at(1));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_help: %s nicht lesbar\n", qPrintable(args.at(1)));
        return 1;
    }
    QTextDocument document;
    // Relative links and pictures in the page resolve against its own folder.
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(in).absoluteFilePath()));
    document.setHtml(QString::fromUtf8(in.readAll()));

    // An interrupted build must not leave a truncated PDF that looks up to date.
    QSaveFile out(args.at(2));
    if (!out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "make_help: %s nicht schreibbar\n", qPrintable(args.at(2)));
        return 1;
    }
    {
        QPdfWriter pdf(&out);
        pdf.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        pdf.setCreator(QStringLiteral("VANTOR²"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter));
        document.print(&pdf);
    }
    if (!out.commit()) {
        std::fprintf(stderr, "make_help: %s nicht geschrieben\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
