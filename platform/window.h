#pragma once

#include <string>

#include "platform/font.h"

namespace velloran::platform {

// The program's one window. Geometry is the outer frame (title bar and border
// included) in twips, single precision, as the window's own coordinates use.
class Window {
 public:
  virtual ~Window() = default;

  virtual std::string Caption() const = 0;
  virtual void SetCaption(const std::string& caption) = 0;

  virtual float Left() const = 0;
  virtual float Top() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;

  // The pointer shown over the whole window, its controls included.
  virtual int MousePointer() const = 0;
  virtual void SetMousePointer(int pointer) = 0;
  // Loads a pointer file (.cur) and makes it the window's MouseIcon, with the
  // hot spot the file records. Throws Error when the file cannot be loaded.
  virtual void LoadMouseIcon(const std::string& path) = 0;

  // The window's own font, in which MeasureText measures.
  virtual Font GetFont() const = 0;
  virtual void SetFontName(const std::string& name) = 0;
  virtual void SetFontBold(bool bold) = 0;
  virtual void SetFontSize(double points) = 0;

  // Width in pixels of `text` drawn in the window's font, by the rules of
  // DrawText with DT_CALCRECT alone: a single & is a mnemonic prefix and adds
  // no width, && draws one &, and line breaks start new lines (the widest
  // line counts).
  virtual int MeasureText(const std::string& text) const = 0;
};

}  // namespace velloran::platform
