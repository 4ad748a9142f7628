// The launcher's --help, laid out for a terminal: the second column starts at one column for
// every line, counting a wide character (kana, kanji, full-width forms) as two columns, and the
// descriptions wrap within the terminal's usual 80 columns.
#pragma once

#include <QString>
#include <vector>

struct THelpEntry {
  QString Name;  // "-h, --help", "--export <FILE>", or an argument's name
  QString Description;
};

struct THelpSection {
  QString Title;  // "Options:"
  std::vector<THelpEntry> Entries;
};

// How many terminal columns `text` takes.
int TerminalColumns(const QString& text);

// The usage line, the description, and each section with its entries in two columns.
QString HelpText(const QString& usage, const QString& description,
                 const std::vector<THelpSection>& sections);
