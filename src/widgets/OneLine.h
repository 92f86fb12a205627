#pragma once

class QComboBox;
class QLineEdit;

// A single-line field holds one line: text pasted or dropped into `edit` keeps only what stands
// before its first line break (CR LF, CR or LF), as a single-line edit does on Windows. Text the
// program sets (a value loaded from a match file) is shown whole.
void keepOneLine(QLineEdit* edit);
// The same for the edit field of an editable combo box.
void keepOneLine(QComboBox* combo);
