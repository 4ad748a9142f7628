// The launcher's --help in a terminal: the second column lines up however wide the names'
// characters are, and long descriptions wrap inside 80 columns, in either language.
#include <gtest/gtest.h>

#include <QStringList>

#include "platform/CommandLineHelp.h"

namespace {

TEST(CommandLineHelp, TheSecondColumnLinesUpAndWrapsInsideTheTerminal) {
  const struct {
    const char* Language;
    std::vector<THelpEntry> Options, Arguments;
  } rows[] = {
      {"ja",
       {{"-h, --help", "この使い方を表示して終わります"},
        {"--export <FILE.kavinel>",
         "この人形フォルダーの人形を人形ファイル FILE.kavinel に書き出して終わります"}},
       {{"人形ファイル", "開く人形ファイル (.kavinel)"}}},
      {"en",
       {{"-h, --help", "Show this usage, then quit"},
        {"--export <FILE.kavinel>",
         "Export the doll of this folder as the doll file FILE.kavinel, then quit"}},
       {{"doll-file", "The doll file (.kavinel) to open"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Language);
    const QStringList lines =
        HelpText("usage", "what", {{"Options:", row.Options}, {"Arguments:", row.Arguments}})
            .split('\n');
    int entries = 0;
    for (const QString& line : lines) {
      EXPECT_LE(TerminalColumns(line), 80) << line.toStdString();
      if (!line.startsWith("  ")) continue;
      // The description, or its next line, starts at column 27: 2 + the longest name + 2.
      qsizetype start = line.at(2) == ' ' ? 2 : line.indexOf("  ", 2);
      while (start < line.size() && line.at(start) == ' ') ++start;
      EXPECT_EQ(TerminalColumns(line.left(start)), 27) << line.toStdString();
      ++entries;
    }
    EXPECT_EQ(entries, 4);  // three entries, the export's wrapped once
  }
}

}  // namespace
