// The program speaks the desktop's language: English, or Japanese where the desktop speaks
// Japanese or sets no language at all. Its texts are written in Japanese where they are used,
// as Tr("Context", "…"), which lupdate reads as QCoreApplication::translate; their English
// lives in translations/kavinel_en.ts, compiled into the program.
#pragma once

#include <QLocale>
#include <QString>
#include <concepts>
#include <string>
#include <string_view>
#include <vector>

// One of the program's texts in the language in use. %1, %2, … are filled in all at once when
// the text is taken, so a file name that holds "%2" is shown as it is.
class TText {
 public:
  TText(const char* context, const char* source);
  TText& Arg(std::string_view value);
  TText& Arg(const char* value) { return Arg(std::string_view(value)); }
  TText& Arg(const QString& value);
  template <std::integral T>
  TText& Arg(T value) {
    return Arg(QString::number(value));
  }
  QString ToQString() const;
  operator std::string() const { return ToQString().toStdString(); }

 private:
  QString FText;
  std::vector<QString> FArgs;
};

inline TText Tr(const char* context, const char* source) {
  return {context, source};
}

// Installs the translations for someone whose first user-interface language is `language`
// into the running application, in place of any installed before: the program's English, or
// Qt's own Japanese for the buttons and dialogs Qt draws.
void UseDesktopLanguage(const QString& language = QLocale::system().uiLanguages().value(0));
