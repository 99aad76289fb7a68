// The application's form descriptions (host build turns them into template bytes).
#pragma once
#include <vector>
#include "runtime/base/template_format.h"

namespace mainwindow {
imprinta::forms::WindowDescription DescribeMainWindow();
imprinta::forms::WindowDescription DescribeStyleDialog();
std::vector<imprinta::forms::WindowDescription> DescribeApplicationForms();
}  // namespace mainwindow
