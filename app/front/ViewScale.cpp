#include "app/front/ViewScale.h"

namespace tessaro {

namespace {

// n * dpi / 96 rounded to the nearest, halves away from zero.
int MulDivRound(int n, int numerator, int denominator) {
  const long long product = static_cast<long long>(n) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

}  // namespace

ViewScale::ViewScale(int dpi) : dpi_(dpi <= 0 ? kBaseDpi : dpi) {
  if (dpi_ < kMinDpi) dpi_ = kMinDpi;
  if (dpi_ > kMaxDpi) dpi_ = kMaxDpi;
}

int ViewScale::Percent() const {
  return MulDivRound(100, dpi_, kBaseDpi);
}

int ViewScale::Px(int logical) const {
  return MulDivRound(logical, dpi_, kBaseDpi);
}

TextBox ViewScale::Box(const TextBox& logical) const {
  return {Px(logical.left), Px(logical.top), Px(logical.right), Px(logical.bottom)};
}

int ViewScale::Logical(int device) const {
  const long long product = static_cast<long long>(device) * kBaseDpi;
  const long long q = product / dpi_;
  return static_cast<int>(product % dpi_ != 0 && product < 0 ? q - 1 : q);
}

void ScaledSink::DrawPicture(Picture picture, int x, int y) {
  target_.DrawPicture(picture, scale_.Px(x), scale_.Px(y));
}

void ScaledSink::DrawVerticalLine(int x, int top, int bottom) {
  const int end = scale_.Px(x + 1);
  for (int column = scale_.Px(x); column < end; ++column) {
    target_.DrawVerticalLine(column, scale_.Px(top), scale_.Px(bottom));
  }
}

void ScaledSink::DrawText(const TextBox& box, const char* text, int length, TextFace face,
                          TextColour colour) {
  target_.DrawText(scale_.Box(box), text, length, face, colour);
}

PictureSize PictureSizeOf(Picture picture, const ViewScale& scale) {
  using namespace layout;
  switch (picture) {
    case Picture::Host:
      return {scale.Px(kHostWidth), scale.Px(kHostHeight)};
    case Picture::Base:
      return {scale.Px(kBaseWidth), scale.Px(kBaseHeight)};
    default:
      return {scale.Px(kTerminalWidth), scale.Px(kTerminalHeight)};
  }
}

}  // namespace tessaro
