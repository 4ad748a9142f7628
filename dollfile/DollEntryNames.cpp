#include "DollEntryNames.h"

#include <QString>
#include <cstdio>
#include <map>
#include <string_view>

#include "DollArchive.h"
#include "doll/LevelNames.h"
#include "framework/Translation.h"

namespace {

constexpr std::size_t MaxNameBytes = 255;
constexpr std::size_t ShownCharacters = 80;

QString Unicode(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool IsUtf8(const std::string& text) {
  const QByteArray back = Unicode(text).toUtf8();
  return std::string_view(back.constData(), static_cast<std::size_t>(back.size())) == text;
}

bool IsControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string Escaped(unsigned c) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02x", c);
  return text;
}

// A name as a message shows it: control characters, and every byte of a name that is no UTF-8,
// written \xNN; the start only of a long name.
std::string Shown(const std::string& name) {
  std::string shown;
  std::size_t characters = 0;
  if (IsUtf8(name)) {
    for (const char32_t c : Unicode(name).toUcs4()) {
      if (++characters > ShownCharacters) return shown + "…";
      shown += IsControl(c) ? Escaped(c) : QString::fromUcs4(&c, 1).toStdString();
    }
  } else {
    for (const unsigned char c : name) {
      if (++characters > ShownCharacters) return shown + "…";
      shown += IsControl(c) || c >= 0x80 ? Escaped(c) : std::string(1, static_cast<char>(c));
    }
  }
  return shown;
}

// What makes `name` unfit to stand in a doll file, said of the entry, or nothing.
std::string NameFault(const std::string& name) {
  const std::string shown = QuotedEntryName(name);
  if (name.find('\0') != std::string::npos)
    return Tr("DollFile", "項目名 %1 に NUL 文字があります").Arg(shown);
  if (!IsUtf8(name)) return Tr("DollFile", "項目名 %1 は UTF-8 ではありません").Arg(shown);
  for (const char32_t c : Unicode(name).toUcs4())
    if (IsControl(c)) return Tr("DollFile", "項目名 %1 に制御文字があります").Arg(shown);
  if (name.find('\\') != std::string::npos)
    return Tr("DollFile", "項目名 %1 に \\ があります").Arg(shown);
  if (name.size() > MaxNameBytes)
    return Tr("DollFile", "項目名 %1 は長すぎます (%2 バイト、上限は %3 バイトです)")
        .Arg(shown)
        .Arg(name.size())
        .Arg(MaxNameBytes);
  if (name.starts_with('/')) return Tr("DollFile", "項目名 %1 は絶対パスです").Arg(shown);
  // A folder's name ends in the one '/' that leaves an empty last part.
  std::string_view rest(name);
  if (rest.ends_with('/')) rest.remove_suffix(1);
  for (;;) {
    const std::string_view part = rest.substr(0, rest.find('/'));
    if (part.empty() || part == "." || part == "..")
      return Tr("DollFile", "項目名 %1 に空、\".\" または \"..\" の部分があります").Arg(shown);
    if (part.size() == rest.size()) return "";
    rest.remove_prefix(part.size() + 1);
  }
}

// The name with case and compatibility forms folded away: two names alike here are the same
// file on a case-insensitive disk, or look the same to the person.
std::string Folded(const std::string& name) {
  return Unicode(name).normalized(QString::NormalizationForm_KC).toCaseFolded().toStdString();
}

}  // namespace

void CheckEntryNames(const std::vector<std::string>& names, const std::string& fileName) {
  std::map<std::string, const std::string*> byFolded;
  for (const std::string& name : names) {
    if (const std::string fault = NameFault(name); !fault.empty())
      throw EDollFileError(fileName, fault);
    const std::string folded = Folded(name);
    const auto [other, added] = byFolded.emplace(folded, &name);
    if (!added && *other->second == name)
      throw EDollFileError(fileName,
                           Tr("DollFile", "項目名 %1 が二つあります").Arg(QuotedEntryName(name)));
    if (!added)
      throw EDollFileError(fileName, Tr("DollFile", "項目名 %1 と %2 は紛らわしい名前です")
                                         .Arg(QuotedEntryName(*other->second))
                                         .Arg(QuotedEntryName(name)));
    if (LevelOfFile(name) == 0 && LevelOfFile(folded) != 0)
      throw EDollFileError(fileName, Tr("DollFile", "項目名 %1 は人形の絵 %2 と紛らわしい名前です")
                                         .Arg(QuotedEntryName(name))
                                         .Arg(QuotedEntryName(folded)));
  }
  // Other tools make a folder of a name that another entry uses as one ("NAME/…").
  for (const std::string& name : names)
    for (std::size_t slash = name.find('/'); slash != std::string::npos && slash + 1 < name.size();
         slash = name.find('/', slash + 1))
      if (const auto file = byFolded.find(Folded(name.substr(0, slash))); file != byFolded.end())
        throw EDollFileError(fileName,
                             Tr("DollFile", "項目名 %1 は %2 をフォルダーとして使っています")
                                 .Arg(QuotedEntryName(name))
                                 .Arg(QuotedEntryName(*file->second)));
}

std::string QuotedEntryName(const std::string& name) {
  return '"' + Shown(name) + '"';
}
