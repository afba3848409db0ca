#include "tests/qt/accessible_tree.h"

#include <QtCore/QProcess>
#include <QtCore/QStringList>

namespace velloran::platform::qt {

std::vector<AccessibleObject> ReadAccessibleTree(int pid, std::string& error) {
  QProcess reader;
  reader.start(QStringLiteral(VELLORAN_SYSTEM_PYTHON),
               {QStringLiteral(VELLORAN_ACCESSIBLE_TREE_SCRIPT), QString::number(pid)});
  if (!reader.waitForFinished(60000) || reader.exitStatus() != QProcess::NormalExit ||
      reader.exitCode() != 0) {
    error = "the screen reader's view failed: " + reader.readAllStandardError().toStdString();
    return {};
  }
  std::vector<AccessibleObject> tree;
  const QString output = QString::fromUtf8(reader.readAllStandardOutput());
  for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
    const QStringList fields = line.split(u'\t');
    if (fields.size() != 6) continue;
    const QStringList states = fields[4].split(u',');
    tree.push_back({fields[0].toInt(), fields[1].toStdString(), fields[2].toStdString(),
                    fields[3].toStdString(), states.contains(QStringLiteral("focusable")),
                    states.contains(QStringLiteral("focused")),
                    states.contains(QStringLiteral("showing")), fields[5].toStdString()});
  }
  return tree;
}

}  // namespace velloran::platform::qt
