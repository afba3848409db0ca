#include "platform/gui/qt/cursor_file.h"

#include <QtCore/QBuffer>
#include <QtCore/QFile>
#include <QtCore/QtEndian>
#include <QtGui/QImageReader>
#include <QtGui/QPixmap>

#include "platform/error.h"
#include "platform/gui/toolkit_messages.h"

namespace velloran::platform::qt {
namespace {

using toolkit_messages::kCannotLoadPointer;
constexpr int kDirectoryHeaderSize = 6;
constexpr int kDirectoryEntrySize = 16;
constexpr int kStandardPointerSize = 32;
constexpr quint16 kIconType = 1;
constexpr quint16 kCursorType = 2;

quint16 ReadWord(const QByteArray& bytes, qsizetype offset) {
  return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

quint32 ReadDoubleWord(const QByteArray& bytes, qsizetype offset) {
  return qFromLittleEndian<quint32>(bytes.constData() + offset);
}

struct DirectoryEntry {
  int width = 0;
  int height = 0;
  QPoint hot_spot;
  quint32 size = 0;
  quint32 offset = 0;
};

DirectoryEntry ReadEntry(const QByteArray& bytes, int index, quint16 type) {
  const qsizetype at = kDirectoryHeaderSize + qsizetype{index} * kDirectoryEntrySize;
  DirectoryEntry entry;
  // A size byte of 0 stands for 256 pixels.
  entry.width = static_cast<quint8>(bytes[at]) == 0 ? 256 : static_cast<quint8>(bytes[at]);
  entry.height = static_cast<quint8>(bytes[at + 1]) == 0 ? 256 : static_cast<quint8>(bytes[at + 1]);
  if (type == kCursorType) {
    entry.hot_spot = QPoint(ReadWord(bytes, at + 4), ReadWord(bytes, at + 6));
  } else {
    entry.hot_spot = QPoint(entry.width / 2, entry.height / 2);
  }
  entry.size = ReadDoubleWord(bytes, at + 8);
  entry.offset = ReadDoubleWord(bytes, at + 12);
  return entry;
}

// The entry of the standard size, or else the largest one.
int ChooseEntry(const QList<DirectoryEntry>& entries) {
  int chosen = 0;
  for (int i = 0; i < entries.size(); ++i) {
    if (entries[i].width == kStandardPointerSize) return i;
    if (entries[i].width > entries[chosen].width) chosen = i;
  }
  return chosen;
}

[[noreturn]] void ThrowNotAPointer(const std::string& path) {
  throw Error(kCannotLoadPointer, path, toolkit_messages::kNotPointerFile);
}

}  // namespace

PointerPicture DecodePointerFile(const QByteArray& bytes, const std::string& path) {
  if (bytes.size() < kDirectoryHeaderSize) ThrowNotAPointer(path);
  const quint16 type = ReadWord(bytes, 2);
  const int count = ReadWord(bytes, 4);
  if (ReadWord(bytes, 0) != 0 || (type != kIconType && type != kCursorType) || count == 0 ||
      bytes.size() < kDirectoryHeaderSize + qsizetype{count} * kDirectoryEntrySize) {
    ThrowNotAPointer(path);
  }
  QList<DirectoryEntry> entries;
  for (int i = 0; i < count; ++i) {
    entries.append(ReadEntry(bytes, i, type));
    const DirectoryEntry& entry = entries.back();
    if (qsizetype{entry.offset} + qsizetype{entry.size} > bytes.size()) ThrowNotAPointer(path);
  }
  const int chosen = ChooseEntry(entries);

  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, type == kCursorType ? "cur" : "ico");
  QImage image;
  if (!reader.jumpToImage(chosen) || !reader.read(&image) || image.isNull()) {
    ThrowNotAPointer(path);
  }
  QPoint hot_spot = entries[chosen].hot_spot;
  hot_spot.setX(qBound(0, hot_spot.x(), image.width() - 1));
  hot_spot.setY(qBound(0, hot_spot.y(), image.height() - 1));
  return {image, hot_spot};
}

QCursor LoadPointerFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly)) {
    throw Error(kCannotLoadPointer, path, file.errorString().toStdString());
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    throw Error(kCannotLoadPointer, path, file.errorString().toStdString());
  }
  const PointerPicture pointer = DecodePointerFile(bytes, path);
  return QCursor(QPixmap::fromImage(pointer.image), pointer.hot_spot.x(), pointer.hot_spot.y());
}

}  // namespace velloran::platform::qt
