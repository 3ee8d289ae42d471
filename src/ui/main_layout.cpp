#include "ui/main_layout.h"

namespace {

constexpr int kFolderRowTop = 589;
constexpr int kFolderLabelTop = 599;
constexpr int kFieldGap = 12;
constexpr int kFieldWidth = 214;
constexpr int kBrowseOffset = 213;  // the button overlaps the field's right edge by 1 px
constexpr int kRowHeight = 36;
constexpr int kRowExtra = 264;      // what the row needs besides the label
constexpr int kWideLineMargin = 50;

struct WrappedSize {
  int width, height;
};

WrappedSize Wrap(int textWidth, int lineHeight) {
  if (textWidth > kWrapWidth) return {kWrapWidth, (textWidth / kWrapWidth + 2) * lineHeight};
  return {textWidth, lineHeight};
}

}  // namespace

ControlRect StatusLineRect(int textWidth, int lineHeight, int clientWidth) {
  const WrappedSize size = Wrap(textWidth, lineHeight);
  return {(clientWidth - size.width) / 2, kStatusLineBottom - size.height, size.width,
          size.height};
}

ControlRect OsTextRect(int textWidth, int lineHeight, int clientWidth) {
  const WrappedSize size = Wrap(textWidth, lineHeight);
  return {(clientWidth - size.width) / 2, kOsTextTop, size.width, size.height};
}

FolderRowLayout LayoutFolderRow(int labelWidth, int labelHeight, int clientWidth) {
  const int x0 = (clientWidth - labelWidth - kRowExtra) / 2;
  const int fieldX = x0 + labelWidth + kFieldGap;
  return {{x0, kFolderLabelTop, labelWidth, labelHeight},
          {fieldX, kFolderRowTop, kFieldWidth, kRowHeight},
          {fieldX + kBrowseOffset, kFolderRowTop, kRowHeight, kRowHeight}};
}

ControlRect InstallingToRect(int textWidth, int textHeight, int clientWidth) {
  if (textWidth < clientWidth)
    return {(clientWidth - textWidth) / 2, kFolderLabelTop, textWidth, textHeight};
  return {kWideLineMargin, kFolderLabelTop, clientWidth - 2 * kWideLineMargin, textHeight};
}
