#include "platform/gui/qt/file_dialog_format.h"

#include <QtCore/QDir>
#include <QtCore/QFileInfo>
#include <string_view>

namespace velloran::platform::qt {
namespace {

QString QtPatterns(const QString& windows_patterns) {
  QStringList patterns;
  for (const QString& pattern : windows_patterns.split(u';', Qt::SkipEmptyParts)) {
    const QString trimmed = pattern.trimmed();
    if (trimmed.isEmpty()) continue;
    patterns.append(trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
  }
  return patterns.isEmpty() ? QStringLiteral("*") : patterns.join(u' ');
}

}  // namespace

QStringList NameFiltersFromFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(u'|');
  QStringList name_filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    name_filters.append(parts[i] + QStringLiteral(" (") + QtPatterns(parts[i + 1]) + u')');
  }
  return name_filters;
}

StartingPlace StartingPlaceFromFileName(const std::string& file_name) {
  const std::string_view first_part = std::string_view(file_name).substr(0, file_name.find('\0'));
  if (first_part.empty()) return {QDir::currentPath(), QString()};
  const QFileInfo info(QString::fromUtf8(first_part.data(), qsizetype(first_part.size())));
  if (info.isDir()) return {info.absoluteFilePath(), QString()};
  return {info.absolutePath(), info.fileName()};
}

std::string ExplorerReport(const QString& folder, const QStringList& files) {
  if (files.size() == 1) return QFileInfo(files.first()).absoluteFilePath().toStdString();
  const QDir dir(folder);
  std::string report = QDir::cleanPath(dir.absolutePath()).toStdString();
  for (const QString& file : files) {
    report += '\0';
    report += dir.relativeFilePath(file).toStdString();
  }
  return report;
}

}  // namespace velloran::platform::qt
