#pragma once

#include <QPushButton>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QShortcut;
class QTextDocument;

namespace kit {

// The key that presses a button; the raw value is the key's character.
enum class KeyEquivalent { escape, return_ };
std::string_view rawValue(KeyEquivalent key);
// The key of a one-character raw value ("\x1b" or "\r"); none for any other string.
std::optional<KeyEquivalent> keyEquivalentFromRaw(std::string_view raw);

enum class ControlSize { mini, small, regular, large };
// The round "?" button of help and information popovers, or the plain push button.
enum class BezelStyle { push, help };

// A push button described by one value, for rows that build their controls from data. Main thread only.
class NativeButton : public QPushButton {
  Q_OBJECT

 public:
  struct Description {
    // Shown as written ("Q&A" shows "Q&A" and answers no Alt+A).
    std::optional<std::string> title;
    // A styled title in Qt's rich text (bold, colours, sizes), shown instead of `title`; its colours are kept,
    // also on a destructive button.
    std::optional<QString> attributedTitle;
    // Return (or Enter) presses the button in its window when the focused widget passes the key on (a line edit
    // does; a multi-line editor keeps it); Escape presses it anywhere in its window.
    std::optional<KeyEquivalent> keyEquivalent;
    BezelStyle bezelStyle = BezelStyle::push;
    // A title in a muted red: the button destroys something.
    bool hasDestructiveAction = false;
    // Stretches with the row instead of keeping its natural width.
    bool isResizable = false;
    std::optional<ControlSize> controlSize;
    std::function<void()> action;
  };

  explicit NativeButton(Description description, QWidget* parent = nullptr);

  // Applies a changed description to the same button.
  void setDescription(Description description);
  const Description& description() const { return description_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  // A destructive title takes the red of each palette the button inherits.
  void applyTitleColor();
  // A help button shows no title of its own.
  bool isAttributedTitle() const { return description_.attributedTitle && description_.bezelStyle != BezelStyle::help; }
  int helpDiameter() const;
  void paintHelp();
  void paintAttributedTitle();

  Description description_;
  QShortcut* escape_ = nullptr;
  QTextDocument* attributedTitle_;
  bool tinted_ = false;
};

// The colour of a destructive button's title: the palette's red, its saturation lowered by 30 percent.
QColor destructiveTitleColor(const QPalette& palette);

}  // namespace kit
