#include "tools/skin_artwork/NoteIcons.h"

#include <cmath>
#include <cstdio>

#include "tools/skin_artwork/SkinFace.h"

namespace {

// The note in a 16-unit square, upright.
Shape Note() {
  std::vector<Shape> parts;
  for (const NoteHead& head : kNoteHeads)
    parts.push_back(Ellipse(head.cx, head.cy, head.rx, head.ry, head.degrees));
  for (const NoteStroke& stroke : kNoteStrokes)
    parts.push_back(Segment(stroke.x0, stroke.y0, stroke.x1, stroke.y1, stroke.width));
  return Union(std::move(parts));
}

Shape Scaled(Shape shape, float factor, float dx, float dy) {
  return [=](float x, float y) { return shape((x - dx) / factor, (y - dy) / factor); };
}

Shape Halo(const Shape& shape) {
  return Union({Moved(shape, -0.7f, 0), Moved(shape, 0.7f, 0), Moved(shape, 0, -0.7f),
                Moved(shape, 0, 0.7f)});
}

Shape Rect(const IconRect& rect, float unit) {
  return RoundRect(rect.x0 * unit, rect.y0 * unit, rect.x1 * unit, rect.y1 * unit,
                   rect.radius * unit);
}

std::string Format(const char* format, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

std::string SvgColor(const Rgba& color) {
  auto byte = [](float channel) { return static_cast<int>(std::lround(channel * 255.0f)); };
  return Format("#%02x%02x%02x", byte(color.r), byte(color.g), byte(color.b));
}

std::string SvgRect(const IconRect& rect, const std::string& fill) {
  return Format("  <rect x=\"%g\" y=\"%g\" width=\"%g\" height=\"%g\" rx=\"%g\" fill=\"%s\"/>\n",
                rect.x0, rect.y0, rect.x1 - rect.x0, rect.y1 - rect.y0, rect.radius, fill.c_str());
}

// A vertical gradient over the whole icon, as the raster fills paint theirs.
std::string SvgGradient(const char* id, const Rgba& top, const Rgba& bottom) {
  return Format(
      "    <linearGradient id=\"%s\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"0\" x2=\"0\" "
      "y2=\"%g\">\n"
      "      <stop offset=\"0\" stop-color=\"%s\"/>\n      <stop offset=\"1\" stop-color=\"%s\"/>\n"
      "    </linearGradient>\n",
      id, kAppIconUnits, SvgColor(top).c_str(), SvgColor(bottom).c_str());
}

// The note's parts placed on the icon, so one gradient spans the icon.
std::string SvgNote(const char* fill) {
  auto x = [](float value) { return kAppNoteX + value * kAppNoteScale; };
  auto y = [](float value) { return kAppNoteY + value * kAppNoteScale; };
  std::string svg =
      Format("  <g fill=\"%s\" stroke=\"%s\" stroke-linecap=\"round\">\n", fill, fill);
  for (const NoteHead& head : kNoteHeads)
    svg += Format(
        "    <ellipse cx=\"%g\" cy=\"%g\" rx=\"%g\" ry=\"%g\" stroke=\"none\" "
        "transform=\"rotate(%g %g %g)\"/>\n",
        x(head.cx), y(head.cy), head.rx * kAppNoteScale, head.ry * kAppNoteScale, head.degrees,
        x(head.cx), y(head.cy));
  for (const NoteStroke& stroke : kNoteStrokes)
    svg += Format("    <line x1=\"%g\" y1=\"%g\" x2=\"%g\" y2=\"%g\" stroke-width=\"%g\"/>\n",
                  x(stroke.x0), y(stroke.y0), x(stroke.x1), y(stroke.y1),
                  stroke.width * kAppNoteScale);
  return svg + "  </g>\n";
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
  const float unit = s / kAppIconUnits;
  Canvas icon(size, size);
  icon.Fill(Rect(kAppRim, unit), theme.rim);
  icon.Fill(Rect(kAppFace, unit),
            [&](float, float y) { return Mix(theme.faceTop, theme.faceBottom, y / s); });
  // A meter along the bottom, as on the player's face.
  icon.Fill(Rect(kAppMeterWell, unit), Hex(0x000000));
  icon.Fill(Rect(kAppMeterLit, unit), theme.accent);
  icon.Fill(Scaled(Note(), kAppNoteScale * unit, kAppNoteX * unit, kAppNoteY * unit),
            [&](float, float y) { return Mix(theme.accentHot, theme.accent, y / s); });
  return icon;
}

std::string DrawAppIconSvg() {
  const Theme& theme = BuiltinTheme();
  return Format(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 "
             "%g %g\">\n",
             kAppIconUnits, kAppIconUnits) +
         "  <defs>\n" + SvgGradient("face", theme.faceTop, theme.faceBottom) +
         SvgGradient("note", theme.accentHot, theme.accent) + "  </defs>\n" +
         SvgRect(kAppRim, SvgColor(theme.rim)) + SvgRect(kAppFace, "url(#face)") +
         SvgRect(kAppMeterWell, "#000000") + SvgRect(kAppMeterLit, SvgColor(theme.accent)) +
         SvgNote("url(#note)") + "</svg>\n";
}
