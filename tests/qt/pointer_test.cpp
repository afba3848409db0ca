#include <gtest/gtest.h>

#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QtEndian>
#include <QtGui/QBitmap>
#include <QtWidgets/QApplication>

#include "platform/error.h"
#include "platform/gui/qt/cursor_file.h"
#include "platform/mouse_pointer.h"
#include "tests/qt/qt_fixture.h"

namespace velloran::platform::qt {
namespace {

void AppendWord(QByteArray& bytes, quint16 value) {
  bytes.append(reinterpret_cast<const char*>(&value), 2);  // the test runs on little-endian
}
void AppendDoubleWord(QByteArray& bytes, quint32 value) {
  bytes.append(reinterpret_cast<const char*>(&value), 4);
}

// A 32 x 32 pointer file in 32-bit colour: a black diagonal on a transparent
// ground, with the given hot spot.
QByteArray TinyCursorFile(quint16 hot_x, quint16 hot_y) {
  constexpr int kSize = 32;
  constexpr quint32 kPixelBytes = kSize * kSize * 4;
  constexpr quint32 kMaskBytes = kSize * 4;
  QByteArray bytes;
  AppendWord(bytes, 0);
  AppendWord(bytes, 2);  // a pointer file
  AppendWord(bytes, 1);
  bytes.append(char(kSize)).append(char(kSize)).append(char(0)).append(char(0));
  AppendWord(bytes, hot_x);
  AppendWord(bytes, hot_y);
  AppendDoubleWord(bytes, 40 + kPixelBytes + kMaskBytes);
  AppendDoubleWord(bytes, 22);
  // BITMAPINFOHEADER; the height counts the colour and the mask halves.
  AppendDoubleWord(bytes, 40);
  AppendDoubleWord(bytes, kSize);
  AppendDoubleWord(bytes, kSize * 2);
  AppendWord(bytes, 1);
  AppendWord(bytes, 32);
  for (int i = 0; i < 6; ++i) AppendDoubleWord(bytes, i == 1 ? kPixelBytes + kMaskBytes : 0);
  for (int row = 0; row < kSize; ++row) {
    for (int column = 0; column < kSize; ++column) {
      const bool ink = column == kSize - 1 - row;  // rows are stored bottom-up
      AppendDoubleWord(bytes, ink ? 0xff000000u : 0x00000000u);
    }
  }
  bytes.append(QByteArray(kMaskBytes, '\0'));
  return bytes;
}

std::string WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  QFile file(dir.filePath(name));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return file.fileName().toStdString();
}

using PointerTest = QtBackendTest;

TEST_F(PointerTest, CustomPointerComesFromTheFileWithItsHotSpot) {
  const QTemporaryDir dir;
  const std::string path = WriteFile(dir, "HAND-M.CUR", TinyCursorFile(5, 3));
  Window& window = controls().form;
  window.LoadMouseIcon(path);
  window.SetMousePointer(kPointerCustom);

  const QCursor cursor = form().cursor();
  EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
  EXPECT_EQ(cursor.hotSpot(), QPoint(5, 3));
  const QImage image = cursor.pixmap().toImage();
  ASSERT_EQ(image.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(image.pixel(0, 0)), 255);  // on the diagonal
  EXPECT_EQ(qAlpha(image.pixel(5, 0)), 0);
  EXPECT_EQ(window.MousePointer(), kPointerCustom);
}

TEST_F(PointerTest, ThePointerFileOfTheProgramLoads) {
  const std::string path = VELLORAN_ASSETS_DIR "/HAND-M.CUR";
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  const QPoint recorded_hot_spot(qFromLittleEndian<quint16>(bytes.constData() + 10),
                                 qFromLittleEndian<quint16>(bytes.constData() + 12));

  const PointerPicture pointer = DecodePointerFile(bytes, path);
  EXPECT_EQ(pointer.image.size(), QSize(32, 32));
  EXPECT_EQ(pointer.hot_spot, recorded_hot_spot);
}

TEST_F(PointerTest, AFileThatIsNoPointerFailsWithItsPath) {
  const QTemporaryDir dir;
  const std::string missing = dir.filePath("missing.cur").toStdString();
  const std::string text = WriteFile(dir, "text.cur", "not a pointer at all");
  QByteArray truncated = TinyCursorFile(1, 1);
  truncated.truncate(100);
  const std::string cut = WriteFile(dir, "cut.cur", truncated);

  Window& window = controls().form;
  for (const std::string& path : {missing, text, cut, dir.path().toStdString()}) {
    try {
      window.LoadMouseIcon(path);
      ADD_FAILURE() << "loaded " << path;
    } catch (const Error& error) {
      EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
  }
  // Custom without a picture shows the default pointer.
  window.SetMousePointer(kPointerCustom);
  EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
}

TEST_F(PointerTest, PointerValuesSetTheWindowsCursorAndBusyOverridesEverything) {
  Window& window = controls().form;
  window.SetMousePointer(kPointerArrow);
  EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  // The controls show the window's pointer, having none of their own.
  for (QWidget* control : {static_cast<QWidget*>(form().list1().viewport()),
                           static_cast<QWidget*>(&form().check1())}) {
    EXPECT_FALSE(control->testAttribute(Qt::WA_SetCursor));
  }

  window.SetMousePointer(kPointerHourglass);
  EXPECT_EQ(form().cursor().shape(), Qt::WaitCursor);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

  window.SetMousePointer(kPointerDefault);
  EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace velloran::platform::qt
