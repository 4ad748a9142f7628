#include "CommandLineHelp.h"

#include <QList>
#include <QStringList>
#include <algorithm>

namespace {

constexpr int Columns = 80;
constexpr int Indent = 2;
constexpr int Gap = 2;

// East Asian wide and full-width characters, which a terminal shows two columns wide.
bool Wide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
         (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
         (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

// The pieces a line may break between: words, spaces, and each wide character on its own
// (Japanese has no spaces between words).
QStringList Pieces(const QString& text) {
  QStringList pieces;
  bool joins = false;  // whether the next character goes on the last word
  for (const char32_t c : text.toUcs4()) {
    const QString character = QString::fromUcs4(&c, 1);
    if (joins && c != U' ' && !Wide(c)) {
      pieces.last() += character;
    } else {
      pieces << character;
    }
    joins = c != U' ' && !Wide(c);
  }
  return pieces;
}

// `text` in lines of at most `width` columns where its words allow.
QStringList Wrap(const QString& text, int width) {
  QStringList lines{QString()};
  for (const QString& piece : Pieces(text)) {
    if (!lines.last().isEmpty() &&
        TerminalColumns(lines.last()) + TerminalColumns(piece.trimmed()) > width)
      lines << QString();
    if (!(lines.last().isEmpty() && piece == " ")) lines.last() += piece;
  }
  for (QString& line : lines) line = line.trimmed();
  return lines;
}

}  // namespace

int TerminalColumns(const QString& text) {
  int columns = 0;
  for (const char32_t c : text.toUcs4()) columns += Wide(c) ? 2 : 1;
  return columns;
}

QString HelpText(const QString& usage, const QString& description,
                 const std::vector<THelpSection>& sections) {
  int names = 0;
  for (const THelpSection& section : sections)
    for (const THelpEntry& entry : section.Entries)
      names = std::max(names, TerminalColumns(entry.Name));
  const int second = Indent + names + Gap;
  QString text = usage + '\n' + description + '\n';
  for (const THelpSection& section : sections) {
    text += '\n' + section.Title + '\n';
    for (const THelpEntry& entry : section.Entries) {
      const QStringList lines = Wrap(entry.Description, std::max(20, Columns - second));
      text += QString(Indent, ' ') + entry.Name +
              QString(second - Indent - TerminalColumns(entry.Name), ' ') + lines.value(0) + '\n';
      for (qsizetype i = 1; i < lines.size(); ++i) text += QString(second, ' ') + lines[i] + '\n';
    }
  }
  return text;
}
