#pragma once
// Finding a file named by a skin inside its folder. Skins are made on systems
// whose file names ignore case and use "\" between folders; Linux file names
// do not, so a skin naming "Face.BMP" or "img\bg.bmp" must still find
// "face.bmp" or "img/bg.bmp".

#include <string>
#include <string_view>

// The path of `relative` inside `folder`: "\" read as "/", and each part
// matched exactly when it exists, else without regard to ASCII case (the
// first match in directory order). A part found neither way is kept as
// written, so the returned path then names no file.
std::string FindSkinFile(const std::string& folder, std::string_view relative);
