#pragma once

#include <memory>

class QCoreApplication;
class QTranslator;

// Qt's own German texts (qtbase_de.qm from Qt's translations folder): message-box buttons
// read "Ja", "Nein", "Abbrechen", "OK", and the file dialogs speak German.

// The loaded translation, not installed; nullptr when the file is missing or unreadable.
std::unique_ptr<QTranslator> loadQtGermanTranslation();

// Loads it and installs it into app, which then owns it. False (and the English texts stay)
// when it cannot be loaded.
bool installQtGermanTranslation(QCoreApplication& app);
