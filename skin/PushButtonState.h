#pragma once
// The press logic of a skinned push button, apart from its window. Held down
// by the mouse with the pointer over it, or by the Space key while it has the
// focus, it shows its pressed half; a click happens only when the hold ends
// over the button (the key always is). The window holds the mouse capture
// while the mouse holds the button, so it keeps seeing the pointer outside.

enum class ButtonLook { Released, Pressed };

// What holds the button down; one at a time.
enum class ButtonHold { None, Mouse, Key };

class PushButtonState {
 public:
  // The left button went down over the button, or Space went down while it
  // had the focus. Ignored while already held.
  void OnPress(ButtonHold by) {
    if (m_hold != ButtonHold::None || by == ButtonHold::None) return;
    m_hold = by;
    m_bInside = true;
  }
  // The pointer moved; `inside` says whether it is over the button.
  void OnMove(bool inside) {
    if (m_hold == ButtonHold::Mouse) m_bInside = inside;
  }
  // The mouse button or the key came up. Ends only a hold of that kind;
  // true when that is a click (released over the button).
  bool OnRelease(ButtonHold by, bool inside) {
    if (m_hold != by || by == ButtonHold::None) return false;
    m_hold = ButtonHold::None;
    return inside;
  }
  // The capture or the focus was taken away: released, no click.
  void OnCancel() { m_hold = ButtonHold::None; }

  ButtonHold Hold() const { return m_hold; }
  ButtonLook Look() const {
    return m_hold != ButtonHold::None && m_bInside ? ButtonLook::Pressed : ButtonLook::Released;
  }

 private:
  ButtonHold m_hold = ButtonHold::None;
  bool m_bInside = false;
};

// Top row of the half of a button picture (released over pressed, each
// pictureHeight / 2 rows) that shows `look`.
constexpr int ButtonSourceTop(ButtonLook look, int pictureHeight) {
  return look == ButtonLook::Pressed ? pictureHeight / 2 : 0;
}
