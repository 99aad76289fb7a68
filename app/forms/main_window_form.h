// The application's form descriptions (host build turns them into template bytes).
#pragma once
#include <vector>
#include "app/forms/field_dialog_units.h"
#include "runtime/base/template_format.h"

namespace mainwindow {
imprinta::forms::WindowDescription DescribeMainWindow();
imprinta::forms::WindowDescription DescribeStyleDialog();
using fielddialog::FieldDialogKind;
imprinta::forms::WindowDescription DescribeFieldDialog(FieldDialogKind kind);
imprinta::forms::WindowDescription DescribeSheetWindow();
std::vector<imprinta::forms::WindowDescription> DescribeApplicationForms();
}  // namespace mainwindow
