// The system code page through MultiByteToWideChar / WideCharToMultiByte with CP_ACP.
#include <windows.h>

#include <climits>

#include "platform/codepage.h"

namespace platform {

std::u16string AnsiToWide(const std::string& ansi) {
  if (ansi.empty() || ansi.size() > INT_MAX) return {};
  const int n = static_cast<int>(ansi.size());
  int need = MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, nullptr, 0);
  if (need <= 0) return {};
  std::u16string wide(static_cast<size_t>(need), u'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), n, reinterpret_cast<wchar_t*>(wide.data()), need);
  return wide;
}

std::string WideToAnsi(const std::u16string& wide, bool* lossless) {
  if (lossless) *lossless = true;
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int n = static_cast<int>(wide.size());
  const auto* src = reinterpret_cast<const wchar_t*>(wide.data());
  // No best-fit: a character the code page lacks becomes '?', never a look-alike.
  int need =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, src, n, nullptr, 0, nullptr, nullptr);
  if (need <= 0) return {};
  std::string ansi(static_cast<size_t>(need), '\0');
  BOOL used_default = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, src, n, ansi.data(), need, "?", &used_default);
  if (lossless) *lossless = !used_default;
  return ansi;
}

}  // namespace platform
