#pragma once
// Qt's own texts in the user's language: the file dialogs, the edit fields' context menus,
// the standard buttons. The program's own texts are Czech and stay as they are.

class QLocale;

// Loads Qt's catalogue for `locale` from the folder Qt keeps its translations in and installs
// it, in place of one an earlier call installed. False when there is none for that language
// (Qt then speaks English).
bool InstallQtTranslations(const QLocale& locale);
