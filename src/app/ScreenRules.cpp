#include "app/ScreenRules.h"

#include <algorithm>

#include "app/App.h"
#include "lang/modLang.h"

namespace screen {

Texts Describe(modMain::View view, long installed, long available) {
  const bool availableView = view == modMain::View::Available;
  const long count = availableView ? available : installed;
  if (count < 0) return {win::Widen(modMain::kTitle), L""};
  const std::wstring counted = modLang::Count("Main", availableView ? "Available" : "Installed", count, {count});
  return {modLang::Text("Main", "Caption", {modMain::kTitle, counted}), counted};
}

std::wstring ReadingText(size_t read, long total) {
  const auto grouped = [](unsigned long long n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
    return digits;
  };
  return modLang::Text("Main", "Reading", {grouped(read), grouped(total < 0 ? 0 : static_cast<unsigned long long>(total))});
}

StartMarks StartModeMarks(const std::string& useClassic, const std::string& mode) {
  const bool wizard = useClassic != "1";
  const bool available = mode == "1";
  return {wizard, !wizard && available, !wizard && !available};
}

SIZE MinimumSize(UINT dpi, const RECT& work) {
  const long least = MulDiv(4000, static_cast<int>(dpi), 1440);
  return {std::min(least, work.right - work.left), std::min(least, work.bottom - work.top)};
}

RECT FirstPlace(SIZE wanted, SIZE minimum, const RECT& work) {
  const long workWidth = work.right - work.left, workHeight = work.bottom - work.top;
  const long width = std::min(std::max(wanted.cx, minimum.cx), workWidth);
  const long height = std::min(std::max(wanted.cy, minimum.cy), workHeight);
  const long left = work.left + (workWidth - width) / 2, top = work.top + (workHeight - height) / 2;
  return {left, top, left + width, top + height};
}

}  // namespace screen
