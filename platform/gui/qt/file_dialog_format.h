#pragma once

#include <QtCore/QString>
#include <QtCore/QStringList>
#include <string>

namespace velloran::platform::qt {

// Turns a common-dialog filter, "Description|pattern|Description|pattern|..."
// with patterns separated by ';', into Qt name filters that show the same
// descriptions. The pattern *.* matches every file, with or without a dot,
// as it does on Windows.
QStringList NameFiltersFromFilter(const std::string& filter);

// Where a file dialog starts, taken from the dialog's FileName: a folder
// alone, or a folder and a file name in it. Only the text before the first
// NUL counts. Relative names are taken from the current folder.
struct StartingPlace {
  QString folder;
  QString file_name;
};
StartingPlace StartingPlaceFromFileName(const std::string& file_name);

// The open dialog's report: the full path of a single file; for several, the
// folder (without a closing '/', except for the root) and then each name
// relative to it, separated by NUL characters, in the given order.
std::string ExplorerReport(const QString& folder, const QStringList& files);

}  // namespace velloran::platform::qt
