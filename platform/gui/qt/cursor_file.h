#pragma once

#include <QtCore/QByteArray>
#include <QtCore/QPoint>
#include <QtGui/QCursor>
#include <QtGui/QImage>
#include <string>

namespace velloran::platform::qt {

// A pointer as a Windows pointer file (.cur) describes it: the picture and
// the hot spot, the pixel that points.
struct PointerPicture {
  QImage image;
  QPoint hot_spot;
};

// Reads a pointer file's bytes: the directory entry nearest to the standard
// 32 x 32 pointer size gives the hot spot, Qt's icon reader the picture. An
// icon file (.ico) is accepted too, pointing with its centre. Throws Error,
// naming `path`, when the bytes are not such a file.
PointerPicture DecodePointerFile(const QByteArray& bytes, const std::string& path);

// Loads a pointer file as a cursor. Throws Error when the file cannot be read
// or is not a pointer file.
QCursor LoadPointerFile(const std::string& path);

}  // namespace velloran::platform::qt
