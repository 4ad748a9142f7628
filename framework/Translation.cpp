#include "Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TText::TText(const char* context, const char* source)
    : FText(QCoreApplication::translate(context, source)) {}

TText& TText::Arg(std::string_view value) {
  return Arg(QString::fromUtf8(value.data(), qsizetype(value.size())));
}

TText& TText::Arg(const QString& value) {
  FArgs.push_back(value);
  return *this;
}

QString TText::ToQString() const {
  QString text;
  text.reserve(FText.size());
  for (qsizetype i = 0; i < FText.size(); ++i) {
    const int n = i + 1 < FText.size() ? FText[i + 1].digitValue() : -1;
    if (FText[i] == u'%' && n >= 1 && size_t(n) <= FArgs.size()) {
      text += FArgs[n - 1];
      ++i;
    } else {
      text += FText[i];
    }
  }
  return text;
}

namespace {

// Whether the program speaks Japanese to someone whose first user-interface language is
// `language`, as QLocale::uiLanguages() names it ("ja-JP", "en-GB", or "C" with no language).
bool SpeaksJapanese(const QString& language) {
  return language == u"C" || language == u"POSIX" || language == u"ja" ||
         language.startsWith(u"ja-") || language.startsWith(u"ja_");
}

void Install(const QString& file, const QString& folder) {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(file, folder))
    QCoreApplication::installTranslator(translator);
  else
    delete translator;
}

}  // namespace

void UseDesktopLanguage(const QString& language) {
  for (QTranslator* installed : QCoreApplication::instance()->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(installed);
    delete installed;
  }
  if (SpeaksJapanese(language)) {
    // Qt's own buttons and dialogs speak English unless given its Japanese.
    Install("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  } else {
    Install("kavinel_en", ":/i18n");
  }
}
