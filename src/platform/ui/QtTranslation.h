#pragma once

class QCoreApplication;

namespace plat::ui {

// Loads Qt's own Brazilian Portuguese translation (standard buttons, file,
// save and print dialogs) from Qt's translations folder and installs it in the
// application, whatever the user's locale, so that everything Qt draws speaks
// the program's language. The program's own texts are not translated. False
// when the file is missing or unreadable: Qt's texts then stay in English and
// the program goes on.
bool installQtTranslation(QCoreApplication& app);

} // namespace plat::ui
