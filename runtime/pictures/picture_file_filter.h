// The file-open filter offered for picture properties: the formats the picture
// decoder recognises, then every file. Separators are '|' with a closing "||";
// a caller turns them into the NUL-separated list of the open-file dialog.
#pragma once

namespace imprinta::units {

inline constexpr char kPictureFileFilter[] =
    "所有图片文件 (*.JPG;*.PNG;*.BMP;*.GIF;*.ICO;*.CUR)|*.JPG;*.PNG;*.BMP;*.GIF;*.ICO;*.CUR|"
    "JPG图片 (*.JPG)|*.JPG|PNG图片 (*.PNG)|*.PNG|BMP图片 (*.BMP)|*.BMP|GIF图片 (*.GIF)|*.GIF|"
    "图标 (*.ICO)|*.ICO|鼠标指针 (*.CUR)|*.CUR|所有文件 (*.*)|*.*||";

}  // namespace imprinta::units
