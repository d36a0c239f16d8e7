#include "tools/skin_artwork/NoteIcons.h"

#include "tools/skin_artwork/SkinFace.h"

namespace {

// The note in a 16-unit square, upright.
Shape Note() {
  return Union({Ellipse(4.6f, 12.4f, 2.7f, 1.9f, -22.0f), Ellipse(11.6f, 11.0f, 2.7f, 1.9f, -22.0f),
                Segment(6.8f, 11.8f, 6.8f, 3.6f, 1.3f), Segment(13.8f, 10.4f, 13.8f, 2.2f, 1.3f),
                Segment(6.8f, 3.6f, 13.8f, 2.2f, 2.4f)});
}

Shape Scaled(Shape shape, float factor, float dx, float dy) {
  return [=](float x, float y) { return shape((x - dx) / factor, (y - dy) / factor); };
}

Shape Halo(const Shape& shape) {
  return Union({Moved(shape, -0.7f, 0), Moved(shape, 0.7f, 0), Moved(shape, 0, -0.7f), Moved(shape, 0, 0.7f)});
}

}  // namespace

Canvas DrawNoteIcon(Rgba color, float degrees) {
  Canvas icon(16, 16);
  const Shape note = Rotated(Scaled(Note(), 0.92f, 0.64f, 0.64f), 8.0f, 8.0f, degrees);
  icon.Fill(Halo(note), Hex(0xffffff, 0.4f));
  icon.Fill(note, color);
  return icon;
}

Canvas DrawAppIcon(int size) {
  const Theme& theme = BuiltinTheme();
  const float s = static_cast<float>(size);
  const float unit = s / 32.0f;
  Canvas icon(size, size);
  icon.Fill(RoundRect(0.5f * unit, 0.5f * unit, s - 0.5f * unit, s - 0.5f * unit, 6.0f * unit), theme.rim);
  icon.Fill(RoundRect(1.5f * unit, 1.5f * unit, s - 1.5f * unit, s - 1.5f * unit, 5.0f * unit), [&](float, float y) {
    return Mix(theme.faceTop, theme.faceBottom, y / s);
  });
  // A meter along the bottom, as on the player's face.
  icon.Fill(RoundRect(6.0f * unit, 25.0f * unit, 26.0f * unit, 28.0f * unit, 1.0f * unit), Hex(0x000000));
  icon.Fill(RoundRect(6.5f * unit, 25.5f * unit, 19.0f * unit, 27.5f * unit, 0.8f * unit), theme.accent);
  icon.Fill(Scaled(Note(), 1.25f * unit, 6.0f * unit, 1.5f * unit), [&](float, float y) {
    return Mix(theme.accentHot, theme.accent, y / s);
  });
  return icon;
}
