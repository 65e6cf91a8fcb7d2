#pragma once

#include "base/MessageTable.h"

class QTranslator;

namespace QtCatalogue
{
// Installs Qt's own catalogue (qtbase_<lang> from Qt's translations folder) for the language of
// the message table, so that standard buttons, file and colour dialogs speak it too. English
// needs none. Returns the translator installed on the application (owned by it), or nullptr when
// none is needed or the catalogue is not installed (the Qt texts then stay English).
QTranslator *install(Language language);
} // namespace QtCatalogue
