#pragma once

#include <gtest/gtest.h>

#include <QtCore/QByteArray>
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <string>

namespace velloran::testing {

// A temporary folder for the files a test lists, and the steps the tests
// take on them: a path in it, a file written into it or read back.
class WorkFolder {
 public:
  QString path() const { return dir_.path(); }
  std::string In(const char* name) const { return QDir(dir_.path()).filePath(name).toStdString(); }
  void Write(const char* name, const QByteArray& bytes) const {
    QFile file(QString::fromStdString(In(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray Read(const char* name) const {
    QFile file(QString::fromStdString(In(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace velloran::testing
