#include "PrintPanel.h"

#include "match/MatchFields.h"
#include "match/MatchRecord.h"
#include "platform/PrintCanvas.h"
#include "printing/ScoreSheetPrintout.h"
#include "settings/Settings.h"
#include "widgets/Guard.h"
#include "widgets/OneLine.h"
#include "widgets/PrintDialogs.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QRadioButton* addItem(QButtonGroup* group, QGroupBox* box, int id, const QString& caption)
{
    auto* b = new QRadioButton(caption, box);
    b->setObjectName(box->objectName() + QString::number(id));
    group->addButton(b, id);
    return b;
}

QLabel* heading(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSize(14);
    f.setBold(true);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(p);
    return l;
}

QPrinter& printerFor(std::unique_ptr<QPrinter>& printer)
{
    // Made on first use: asking the system for its printers takes a moment the start-up
    // should not wait for.
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer;
}

} // namespace

PrintPanel::PrintPanel(MatchRecord& record, const Settings& settings, QWidget* parent)
    : QWidget(parent), m_record(record), m_settings(settings)
{
    setObjectName(QStringLiteral("panel_drucken"));
    setAutoFillBackground(true);
    // The panel is dark: the option captions would not read in black.
    QPalette p = palette();
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);

    m_textFace = new QLabel(this);
    m_textFace->setObjectName(QStringLiteral("Label45"));
    m_textFace->hide();
    m_typewriterFace = new QLabel(this);
    m_typewriterFace->setObjectName(QStringLiteral("Label81"));
    QFont courier(QStringLiteral("Courier New"));
    // Where Courier New is missing, the typewriter face the bout panel shows stands in.
    courier.setFamilies({QStringLiteral("Courier New"), QStringLiteral("MonospaceTypewriter"),
                         QStringLiteral("Courier Prime"), QStringLiteral("DejaVu Sans Mono")});
    m_typewriterFace->setFont(courier);
    m_typewriterFace->hide();

    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(40, 40, 40, 40);
    columns->setSpacing(60);
    columns->addWidget(makeScoreSheetColumn(), 0, Qt::AlignTop);
    columns->addWidget(makeRecordColumn(), 0, Qt::AlignTop);
    columns->addStretch(1);
}

PrintPanel::~PrintPanel() = default;

QWidget* PrintPanel::makeScoreSheetColumn()
{
    auto* column = new QWidget(this);
    auto* lay = new QVBoxLayout(column);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(heading(QStringLiteral("Punktzettel"), column));

    auto* box = new QGroupBox(QStringLiteral("Optionen"), column);
    box->setObjectName(QStringLiteral("optionenpunktzettel"));
    box->setAutoFillBackground(true);
    box->setFixedSize(420, 130);
    m_sheetOptions = new QButtonGroup(box);
    QRadioButton* alle = addItem(m_sheetOptions, box, 0, QStringLiteral("Alle"));
    // The range edits sit in the blanks of the item's caption and after "bis".
    QRadioButton* kampf = addItem(m_sheetOptions, box, 1, QStringLiteral("Kampf                   bis"));
    QRadioButton* auswahl = addItem(m_sheetOptions, box, 2, QStringLiteral("Auswahl"));
    alle->setChecked(true);
    alle->setGeometry(12, 26, 200, 22);
    kampf->setGeometry(12, 58, 200, 22);
    auswahl->setGeometry(12, 92, 100, 22);
    const QFontMetrics fm(kampf->font());
    const int textLeft = 12 +
                         kampf->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, kampf) +
                         kampf->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, kampf);
    m_von = new QLineEdit(box);
    m_von->setObjectName(QStringLiteral("Edit2"));
    m_von->setGeometry(textLeft + fm.horizontalAdvance(QStringLiteral("Kampf ")), 57,
                       fm.horizontalAdvance(QString(17, QLatin1Char(' '))), 24);
    m_bis = new QLineEdit(box);
    m_bis->setObjectName(QStringLiteral("Edit3"));
    m_bis->setGeometry(textLeft + fm.horizontalAdvance(kampf->text() + QLatin1Char(' ')), 57, m_von->width(),
                       24);
    m_boutChoice = new QComboBox(box);
    m_boutChoice->setObjectName(QStringLiteral("ComboBox1"));
    m_boutChoice->setGeometry(110, 91, 296, 24);
    lay->addWidget(box);

    // Typing a range or picking a bout chooses the option it belongs to; the operator may
    // still change it by hand afterwards.
    for (QLineEdit* edit : {m_von, m_bis}) {
        keepOneLine(edit);
        connect(edit, &QLineEdit::textChanged, this, [kampf] { kampf->setChecked(true); });
    }
    connect(m_boutChoice, &QComboBox::activated, this, [auswahl] { auswahl->setChecked(true); });

    auto* print = new QPushButton(QStringLiteral("Punktzettel drucken"), column);
    print->setObjectName(QStringLiteral("Button11"));
    connect(print, &QPushButton::clicked, this, [this] { guarded(this, [this] { Button11Click(); }); });
    lay->addWidget(print, 0, Qt::AlignLeft);
    return column;
}

QWidget* PrintPanel::makeRecordColumn()
{
    auto* column = new QWidget(this);
    auto* lay = new QVBoxLayout(column);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(heading(QStringLiteral("Protokoll"), column));

    auto* box = new QGroupBox(QStringLiteral("Optionen"), column);
    box->setObjectName(QStringLiteral("optionenprotokoll"));
    box->setAutoFillBackground(true);
    box->setFixedSize(300, 130);
    m_recordOptions = new QButtonGroup(box);
    QRadioButton* official = addItem(m_recordOptions, box, 0, QStringLiteral("offizielles Protokoll"));
    QRadioButton* lineUp =
        addItem(m_recordOptions, box, 1, QStringLiteral("Aufstellung (noch nicht möglich)"));
    official->setChecked(true);
    official->setGeometry(12, 26, 280, 22);
    lineUp->setGeometry(12, 58, 280, 22);
    lay->addWidget(box);

    auto* print = new QPushButton(QStringLiteral("Protokoll drucken"), column);
    print->setObjectName(QStringLiteral("Button2"));
    connect(print, &QPushButton::clicked, this, [this] { guarded(this, [this] { Button2Click(); }); });
    lay->addWidget(print, 0, Qt::AlignLeft);
    return column;
}

void PrintPanel::setBoutChoices(const QStringList& items)
{
    m_boutChoice->clear();
    m_boutChoice->addItems(items);
    m_boutChoice->setCurrentIndex(-1);
}

int PrintPanel::optionenprotokoll() const
{
    return m_recordOptions->checkedId();
}

int PrintPanel::optionenpunktzettel() const
{
    return m_sheetOptions->checkedId();
}

RecordPrintout::Captions PrintPanel::recordCaptions() const
{
    // As the operator window shows them: the chosen radio items, the licence columns' captions.
    const auto chosen = [this](const QString& field) {
        return MatchFields::chosenRadioItem(field, m_record.header(field));
    };
    const bool passNumbers = m_settings.protokoll() != 0;
    RecordPrintout::Captions c;
    c.altersklasse = chosen(QStringLiteral("altersklasse"));
    c.punktfreund = chosen(QStringLiteral("punktfreund"));
    c.vorrueck = chosen(QStringLiteral("vorrueck"));
    c.lizenzRot = MatchFields::columnCaption(MatchFields::ColLizenzRot, passNumbers);
    c.lizenzBlau = MatchFields::columnCaption(MatchFields::ColLizenzBlau, passNumbers);
    return c;
}

RecordPrintout::Faces PrintPanel::recordFaces() const
{
    auto faces = [](const QLabel* label) {
        const QFont f = label->font();
        return f.families().isEmpty() ? QStringList{f.family()} : f.families();
    };
    return {faces(m_textFace), faces(m_typewriterFace)};
}

void PrintPanel::Button2Click()
{
    QPrinter& printer = printerFor(m_recordPrinter);
    if (!PrintDialogs::run(this, printer))
        return;
    PrintCanvas canvas(printer);
    RecordPrintout(m_record, recordCaptions(), recordFaces()).print(canvas, optionenprotokoll() == 0);
}

void PrintPanel::Button11Click()
{
    QPrinter& printer = printerFor(m_sheetPrinter);
    if (!PrintDialogs::run(this, printer))
        return;
    PrintCanvas canvas(printer);
    ScoreSheetPrintout::Request request;
    request.choice = optionenpunktzettel();
    request.von = m_von->text();
    request.bis = m_bis->text();
    request.chosen = m_boutChoice->currentIndex();
    ScoreSheetPrintout(m_record, m_settings.felder()).print(canvas, request);
}
