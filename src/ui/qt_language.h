#pragma once
// Qt's own dialogs (file dialogs, message box buttons) in the tool's
// language, from the system's Qt translations where they are installed.

namespace quelm::ui {

// Language 1 French, 2 English. Returns false when the French translation
// is not installed: Qt's dialogs then stay in English.
bool useQtLanguage(int language);

} // namespace quelm::ui
