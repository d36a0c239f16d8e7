#include "skin/ui/EmbeddedIcon.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include "platform/EmbeddedResource.h"

wxBitmap LoadEmbeddedBitmap(std::string_view name) {
  const auto bytes = FindEmbeddedResource(name);
  if (bytes.empty()) return {};
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  wxMemoryInputStream stream(bytes.data(), bytes.size());
  wxImage image;
  if (!image.LoadFile(stream, wxBITMAP_TYPE_ANY)) return {};
  return wxBitmap(image);
}

wxIcon LoadEmbeddedIcon(std::string_view name) {
  wxIcon icon;
  const wxBitmap bitmap = LoadEmbeddedBitmap(name);
  if (bitmap.IsOk()) icon.CopyFromBitmap(bitmap);
  return icon;
}
