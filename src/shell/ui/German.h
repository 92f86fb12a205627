#pragma once

class QCoreApplication;

// Makes Qt's own dialogs and buttons speak German ("Abbrechen", "&Ja", ...).
void installGermanTranslations(QCoreApplication& app);
