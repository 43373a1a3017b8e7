#pragma once

class QCoreApplication;

namespace startup {

// Installs Qt's own Japanese translations (qtbase_ja) so that standard buttons, file and folder
// dialogs and the text fields' context menus speak the program's language. False when they are
// not installed on this system (the English texts then remain).
bool InstallQtTranslations(QCoreApplication& app);

} // namespace startup
