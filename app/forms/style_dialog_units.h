// Unit ids of the text style dialog's form template, in stored order. Each
// setting has a title unit and a body unit; the dialog's code pairs them with
// the style fields.
#pragma once
#include <cstdint>

namespace styledialog {

constexpr uint32_t kWindowId = 0x52010002;
constexpr uint32_t kWindowRecordId = 0x06010000;

enum Unit : uint32_t {
    kTitleHeader = 0x16020001,
    kBodyHeader,
    kAlignLabel,
    kTitleAlign,
    kBodyAlign,
    kSpacingLabel,
    kTitleSpacing,
    kBodySpacing,
    kMaxWidthLabel,
    kTitleMaxWidth,
    kBodyMaxWidth,
    kFitLabel,
    kTitleFit,
    kBodyFit,
    kAnchorLabel,
    kTitleAnchor,
    kBodyAnchor,
    kOutlineWidthLabel,
    kTitleOutlineWidth,
    kBodyOutlineWidth,
    kOutlineColourLabel,
    kTitleOutlineColour,
    kBodyOutlineColour,
    kShadowDxLabel,
    kTitleShadowDx,
    kBodyShadowDx,
    kShadowDyLabel,
    kTitleShadowDy,
    kBodyShadowDy,
    kShadowColourLabel,
    kTitleShadowColour,
    kBodyShadowColour,
    kShadowOpacityLabel,
    kTitleShadowOpacity,
    kBodyShadowOpacity,
    kShadowBlurLabel,
    kTitleShadowBlur,
    kBodyShadowBlur,
    kFormatLabel,      // the output format: one for both texts
    kOutputFormat,
    kQualityLabel,
    kJpegQuality,
    kMessage,          // what went wrong with a style file
    kButtonSaveStyle,
    kButtonLoadStyle,
    kButtonOk,
    kButtonCancel,
    // The finer settings, in a second block of columns to the right.
    kDirectionLabel,
    kTitleDirection,
    kBodyDirection,
    kLetterSpacingLabel,
    kTitleLetterSpacing,
    kBodyLetterSpacing,
    kRotationLabel,
    kTitleRotation,
    kBodyRotation,
    kGradientLabel,
    kTitleGradient,
    kBodyGradient,
    kGradientFromLabel,
    kTitleGradientFrom,
    kBodyGradientFrom,
    kGradientToLabel,
    kTitleGradientTo,
    kBodyGradientTo,
    kGradientAngleLabel,
    kTitleGradientAngle,
    kBodyGradientAngle,
    kPlaceXLabel,
    kTitlePlaceX,
    kBodyPlaceX,
    kMarginXLabel,
    kTitleMarginX,
    kBodyMarginX,
    kPlaceYLabel,
    kTitlePlaceY,
    kBodyPlaceY,
    kMarginYLabel,
    kTitleMarginY,
    kBodyMarginY,
    kTitleHeader2,
    kBodyHeader2,
    kUnitEnd
};

}  // namespace styledialog
