#include "OneLine.h"

#include <QComboBox>
#include <QLineEdit>
#include <QValidator>

namespace {

// Every change of a line edit's text passes its validator before anyone hears of it, whether
// typed, pasted (keys, context menu, middle button) or dropped, so the cut is made in one place.
class OneLineValidator : public QValidator
{
public:
    explicit OneLineValidator(QLineEdit* edit) : QValidator(edit), m_edit(edit), m_last(edit->text()) {}

    State validate(QString& input, int& pos) const override
    {
        // setText() clears the undo history before the new text is validated, whereas an edit
        // by the operator is on the undo stack by then: a value the program sets (a loaded
        // match) is shown as it stands.
        if (m_edit->isUndoAvailable())
            cutInsertedLines(input, pos);
        m_last = input;
        return Acceptable;
    }

private:
    // The inserted text ends at the cursor and begins where the text stops matching the text
    // before the change; a line break that was there before (a loaded value) stays.
    void cutInsertedLines(QString& input, int& pos) const
    {
        const qsizetype end = qBound(qsizetype(0), qsizetype(pos), input.size());
        qsizetype start = 0;
        while (start < end && start < m_last.size() && input.at(start) == m_last.at(start))
            ++start;
        for (qsizetype i = start; i < end; ++i) {
            if (input.at(i) == QLatin1Char('\r') || input.at(i) == QLatin1Char('\n')) {
                input.remove(i, end - i);
                pos = int(i);
                return;
            }
        }
    }

    QLineEdit* m_edit;
    mutable QString m_last;
};

} // namespace

void keepOneLine(QLineEdit* edit)
{
    edit->setValidator(new OneLineValidator(edit));
}

void keepOneLine(QComboBox* combo)
{
    if (QLineEdit* edit = combo->lineEdit())
        keepOneLine(edit);
}
