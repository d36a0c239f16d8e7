#pragma once
// The press logic of a skinned push button, apart from its window: held down
// with the pointer over it, it shows its pressed half; a click happens only
// when the button is released over it. The window holds the mouse capture
// while the button is held, so it keeps seeing the pointer outside.

enum class ButtonLook { Released, Pressed };

class PushButtonState {
 public:
  // The left button went down over the button.
  void OnPress() {
    m_bHeld = true;
    m_bInside = true;
  }
  // The pointer moved while held; `inside` says whether it is over the button.
  void OnMove(bool inside) { m_bInside = inside; }
  // The left button came up; true when that is a click (held, released over
  // the button). The button is released either way.
  bool OnRelease(bool inside) {
    const bool click = m_bHeld && inside;
    m_bHeld = false;
    return click;
  }
  // The capture was taken away: released, no click.
  void OnCancel() { m_bHeld = false; }

  bool IsHeld() const { return m_bHeld; }
  ButtonLook Look() const { return m_bHeld && m_bInside ? ButtonLook::Pressed : ButtonLook::Released; }

 private:
  bool m_bHeld = false;
  bool m_bInside = false;
};

// Top row of the half of a button picture (released over pressed, each
// pictureHeight / 2 rows) that shows `look`.
constexpr int ButtonSourceTop(ButtonLook look, int pictureHeight) {
  return look == ButtonLook::Pressed ? pictureHeight / 2 : 0;
}
