#pragma once

#include <QtGui/QCursor>
#include <QtGui/QFont>
#include <optional>
#include <string>

#include "platform/gui/qt/form_widget.h"
#include "platform/gui/qt/twips.h"
#include "platform/window.h"

namespace velloran::platform::qt {

// Form1 as the handlers see it: the outer frame in twips, the pointer shown
// over the whole window, and the window's own font, kept apart from the
// controls' fonts, in which text is measured.
class QtWindow : public Window {
 public:
  explicit QtWindow(FormWidget& form);
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

  std::string Caption() const override;
  void SetCaption(const std::string& caption) override;

  float Left() const override;
  float Top() const override;
  float Width() const override;
  float Height() const override;
  void SetLeft(float twips) override;
  void SetTop(float twips) override;

  int MousePointer() const override { return mouse_pointer_; }
  void SetMousePointer(int pointer) override;
  void LoadMouseIcon(const std::string& path) override;

  Font GetFont() const override;
  void SetFontName(const std::string& name) override;
  void SetFontBold(bool bold) override;
  void SetFontSize(double points) override;

  int MeasureText(const std::string& text) const override;

 private:
  TwipsScale Scale() const { return TwipsScale(*form_.screen()); }
  QRect OuterGeometry() const;
  void MoveOuterTo(QPoint outer_top_left);
  void ApplyPointer();
  void SetBusyOverride(bool busy);

  FormWidget& form_;
  int mouse_pointer_ = 0;
  std::optional<QCursor> mouse_icon_;
  QFont font_;
  bool busy_override_ = false;
};

}  // namespace velloran::platform::qt
