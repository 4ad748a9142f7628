#include "Settings.h"

#include <QColor>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <iterator>

#include "framework/FileOutput.h"

namespace {

const QString LastDollKey = QStringLiteral("Shelf/LastDoll");
const QString QuietLoopKey = QStringLiteral("Loop/Quiet");
const QString BrushColourKey = QStringLiteral("Brush/Colour");
const QString BrushDiameterKey = QStringLiteral("Brush/Diameter");
const QString BrushErasesKey = QStringLiteral("Brush/Erases");  // before the fill: the eraser
const QString BrushToolKey = QStringLiteral("Brush/Tool");
const QString BrushMirrorKey = QStringLiteral("Brush/Mirror");
const QString BrushToleranceKey = QStringLiteral("Brush/Tolerance");
const QString ToolNames[] = {QStringLiteral("brush"), QStringLiteral("eraser"),
                             QStringLiteral("fill")};

// Larger than any screen: a size beyond it is not one the window was left at.
constexpr int LargestWindow = 4096;

QVariant Read(const QString& key) {
  const QSettings settings(QString::fromStdString(SettingsFile()), QSettings::IniFormat);
  return settings.status() == QSettings::NoError ? settings.value(key) : QVariant();
}

// Written and flushed together, folder included, so that a crash forgets none of them.
void Write(std::initializer_list<std::pair<QString, QVariant>> values) {
  QSettings settings(QString::fromStdString(SettingsFile()), QSettings::IniFormat);
  for (const auto& [key, value] : values) settings.setValue(key, value);
  settings.sync();
  FlushFolder(SettingsFile());
}

std::optional<bool> ReadBool(const QString& key) {
  const QVariant value = Read(key);
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  const QString text = value.toString();
  if (text == "true" || text == "false") return text == "true";
  return std::nullopt;
}

}  // namespace

std::string SettingsFile() {
  return (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
          "/Kavinel/Kavinel.conf")
      .toStdString();
}

std::optional<std::string> LastDollName() {
  const QVariant value = Read(LastDollKey);
  if (value.typeId() != QMetaType::QByteArray) return std::nullopt;
  const std::string name = value.toByteArray().toStdString();
  if (name.find('/') != std::string::npos || name.find('\0') != std::string::npos)
    return std::nullopt;
  return name;
}

void KeepLastDollName(const std::string& name) {
  Write({{LastDollKey, QByteArray::fromStdString(name)}});
}

bool QuietLoopSetting() {
  return ReadBool(QuietLoopKey).value_or(true);
}

void KeepQuietLoop(bool quiet) {
  Write({{QuietLoopKey, quiet}});
}

TBrush RememberedBrush() {
  TBrush brush;
  const QColor colour(Read(BrushColourKey).toString());
  if (colour.isValid())
    brush.Colour = {static_cast<std::uint8_t>(colour.blue()),
                    static_cast<std::uint8_t>(colour.green()),
                    static_cast<std::uint8_t>(colour.red())};
  bool number = false;
  const int diameter = Read(BrushDiameterKey).toInt(&number);
  if (number && std::find(std::begin(BrushDiameters), std::end(BrushDiameters), diameter) !=
                    std::end(BrushDiameters))
    brush.Diameter = diameter;
  if (ReadBool(BrushErasesKey).value_or(false)) brush.Tool = TBrushTool::Eraser;
  if (const auto* tool =
          std::find(std::begin(ToolNames), std::end(ToolNames), Read(BrushToolKey).toString());
      tool != std::end(ToolNames))
    brush.Tool = static_cast<TBrushTool>(tool - std::begin(ToolNames));
  brush.Mirror = ReadBool(BrushMirrorKey).value_or(false);
  const int tolerance = Read(BrushToleranceKey).toInt(&number);
  if (number && tolerance >= 0 && tolerance <= 255) brush.Tolerance = tolerance;
  return brush;
}

void KeepBrush(const TBrush& brush) {
  const QColor colour(brush.Colour.Red, brush.Colour.Green, brush.Colour.Blue);
  Write({{BrushColourKey, colour.name()},
         {BrushDiameterKey, brush.Diameter},
         {BrushToolKey, ToolNames[static_cast<int>(brush.Tool)]},
         {BrushMirrorKey, brush.Mirror},
         {BrushToleranceKey, brush.Tolerance}});
}

QSize WindowSize(const QString& window, QSize fallback) {
  const QSize size = Read(window + "/WindowSize").toSize();
  return size.isValid() && size.width() <= LargestWindow && size.height() <= LargestWindow
             ? size
             : fallback;
}

void KeepWindowSize(const QString& window, QSize size) {
  Write({{window + "/WindowSize", size}});
}

QString DialogFolder(const QString& dialog, const QString& fallback) {
  const QString folder = Read("Dialogs/" + dialog).toString();
  return folder.isEmpty() ? fallback : folder;
}

void KeepDialogFolder(const QString& dialog, const QString& folder) {
  Write({{"Dialogs/" + dialog, folder}});
}
